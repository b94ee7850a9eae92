#include "engine/core/resource.h"

#include "platform/memory.h"

ResourceObject::~ResourceObject() {
    if (owner != nullptr) {
        ResourceListRemove(owner, this);
    }
}

i32 ResourceObject::Release() {
    --refCount;
    if (refCount == 0) {
        delete this;
        return 0;
    }
    return refCount;
}

void ResourceObject::AddRef() { ++refCount; }

void ResourceListConstruct(ResourceList* list) {
    list->head = nullptr;
    list->tail = nullptr;
    list->count = 0;
}

void ResourceListClear(ResourceList* list) { ResourceListConstruct(list); }

void ResourceListPushFront(ResourceList* list, ResourceObject* object) {
    if (object->owner != nullptr) {
        ResourceListRemove(object->owner, object);
    }
    object->owner = list;
    object->previous = nullptr;
    object->next = list->head;
    if (list->head != nullptr) {
        list->head->previous = object;
    }
    list->head = object;
    if (list->tail == nullptr) {
        list->tail = object;
    }
    ++list->count;
}

void ResourceListPushBack(ResourceList* list, ResourceObject* object) {
    if (object->owner != nullptr) {
        ResourceListRemove(object->owner, object);
    }
    object->owner = list;
    object->previous = list->tail;
    object->next = nullptr;
    if (list->tail != nullptr) {
        list->tail->next = object;
    } else {
        list->head = object;
    }
    list->tail = object;
    ++list->count;
}

void ResourceListRemove(ResourceList* list, ResourceObject* object) {
    // Unlinking through a list the object is not in would corrupt both lists
    // and their counts.
    if (list == nullptr || object == nullptr || object->owner != list) {
        return;
    }
    object->owner = nullptr;
    ResourceObject* previous = object->previous;
    ResourceObject* next = object->next;
    if (previous != nullptr && next != nullptr) {
        previous->next = next;
        next->previous = previous;
    } else if (next != nullptr) {
        list->head = next;
        next->previous = nullptr;
    } else if (previous != nullptr) {
        list->tail = previous;
        previous->next = nullptr;
    } else {
        list->head = nullptr;
        list->tail = nullptr;
    }
    --list->count;
}

void ResourceListReleaseAll(ResourceList* list) {
    // Take the head off before releasing it: the list stays consistent even
    // when a destructor releases further objects of the same list, and a
    // survivor keeps no owner or links into the emptied list.
    while (list->head != nullptr) {
        ResourceObject* object = list->head;
        ResourceListRemove(list, object);
        object->previous = nullptr;
        object->next = nullptr;
        object->Release();
    }
    ResourceListConstruct(list);
}

ResourceObject* ResourceListGetHead(const ResourceList* list) { return list->head; }

ResourceObject* ResourceListGetAt(const ResourceList* list, u32 index) {
    ResourceObject* object = list->head;
    for (u32 i = 0; i < index && object != nullptr; ++i) {
        object = object->next;
    }
    return object;
}

u32 ResourceListGetCount(const ResourceList* list) { return list->count; }

void GetPhysicalMemory(u64* total, u64* available) {
    const platform::MemoryStatus status = platform::GlobalMemoryStatus();
    if (total != nullptr) {
        *total = status.totalPhysical;
    }
    if (available != nullptr) {
        *available = status.availablePhysical;
    }
}
