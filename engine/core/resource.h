#pragma once
// Reference-counted base of every engine object and the intrusive per-kind
// lists the managers keep them in.
//
// An object is born with one reference (the caller's) and is linked into its
// kind's list by its factory. AddRef and Release move the count; on reaching
// exactly 0 the object unlinks itself from its list and is deleted. Objects
// must therefore be allocated with `new`.
#include <functional>

#include "engine/core/types.h"

struct ResourceList;

class ResourceObject {
public:
    ResourceObject() = default;
    ResourceObject(const ResourceObject&) = delete;
    ResourceObject& operator=(const ResourceObject&) = delete;

    // Destroy: unlinks the object from its owner list when it has one. Every
    // derived destructor ends here, so a derived class is still linked while
    // its own destructor runs.
    virtual ~ResourceObject();
    // Drops one reference; at exactly 0 the object deletes itself. Returns the
    // new count. A count already at 0 or below only goes further down (never a
    // second delete).
    virtual i32 Release();
    virtual void AddRef();

    i32 refCount = 1;
    ResourceList* owner = nullptr;
    ResourceObject* previous = nullptr;
    ResourceObject* next = nullptr;
};

// One list per resource kind; a plain value, usually a global.
struct ResourceList {
    ResourceObject* head = nullptr;
    ResourceObject* tail = nullptr;
    u32 count = 0;
};

// Both set head, tail and count to zero without touching any object.
void ResourceListConstruct(ResourceList* list);
void ResourceListClear(ResourceList* list);

// Link at the front or the back; an object that is in a list (this one or
// another) is first removed from it.
void ResourceListPushFront(ResourceList* list, ResourceObject* object);
void ResourceListPushBack(ResourceList* list, ResourceObject* object);

// Unlinks the object and clears its owner. The object's own previous and next
// are left as they were. Does nothing when `list` is not the object's owner.
void ResourceListRemove(ResourceList* list, ResourceObject* object);

// Drops one reference of every object, head first, then leaves the list
// empty. Each object is unlinked before its Release, so an object that
// survives (someone else still holds a reference) ends with no owner and no
// links instead of pointing at the emptied list.
void ResourceListReleaseAll(ResourceList* list);

ResourceObject* ResourceListGetHead(const ResourceList* list);
// The object `index` steps from the head (0 is the head), or null when the
// list is shorter.
ResourceObject* ResourceListGetAt(const ResourceList* list, u32 index);
u32 ResourceListGetCount(const ResourceList* list);

// Calls `fn` (a callable or a member function of T) on every object of the
// list, head first, each seen as the derived kind T the list holds.
template <class T, class Fn>
void ResourceListForEach(const ResourceList* list, Fn&& fn) {
    for (ResourceObject* o = list->head; o != nullptr; o = o->next) {
        std::invoke(fn, static_cast<T*>(o));
    }
}

// Total and available physical memory in bytes; either pointer may be null.
void GetPhysicalMemory(u64* total, u64* available);
