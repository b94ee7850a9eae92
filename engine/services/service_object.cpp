#include "engine/services/service_object.h"

ServiceObject::~ServiceObject() {
    if (owner != nullptr) ServiceListRemove(*owner, this);
}

i32 ServiceObject::Release() {
    const i32 left = --referenceCount;
    if (left == 0) delete this;
    return left;
}

void ServiceObject::AddRef() { ++referenceCount; }

ServiceObjectList::~ServiceObjectList() { ServiceListReleaseAll(*this); }

void ServiceListClear(ServiceObjectList& list) {
    list.head = nullptr;
    list.tail = nullptr;
    list.count = 0;
}

void ServiceListPushBack(ServiceObjectList& list, ServiceObject* object) {
    if (object->owner != nullptr) ServiceListRemove(*object->owner, object);
    object->owner = &list;
    object->previous = list.tail;
    object->next = nullptr;
    if (list.tail != nullptr) {
        list.tail->next = object;
    } else {
        list.head = object;
    }
    list.tail = object;
    ++list.count;
}

void ServiceListRemove(ServiceObjectList& list, ServiceObject* object) {
    object->owner = nullptr;
    if (object->previous != nullptr) {
        object->previous->next = object->next;
    } else {
        list.head = object->next;
    }
    if (object->next != nullptr) {
        object->next->previous = object->previous;
    } else {
        list.tail = object->previous;
    }
    object->previous = nullptr;
    object->next = nullptr;
    --list.count;
}

void ServiceListReleaseAll(ServiceObjectList& list) {
    // Detach first, so that objects unlinking themselves while they are
    // released do not touch the list being walked.
    ServiceObject* object = list.head;
    ServiceListClear(list);
    while (object != nullptr) {
        ServiceObject* next = object->next;
        object->owner = nullptr;
        object->previous = nullptr;
        object->next = nullptr;
        object->Release();
        object = next;
    }
}
