#pragma once
// The reference-counted objects the service workers run commands on, and the
// intrusive lists that hold them (one per service). The commands address an
// object's virtual operations by their place: 0 destroy, 1 Release, 2 AddRef,
// then each class's own operations from 3 in declaration order.
#include "engine/core/resource.h"
#include "engine/core/types.h"

// A service object is an engine resource object: its virtual operations 0 to 2
// are destroy, Release and AddRef.
class ServiceObject : public ResourceObject {};

// The list of one service; at process exit the objects still listed are
// released.
struct ServiceObjectList : ResourceList {
    ~ServiceObjectList() { ResourceListReleaseAll(this); }
};

inline ServiceObject* ServiceListHead(const ServiceObjectList& list) { return static_cast<ServiceObject*>(list.head); }
inline ServiceObject* ServiceListNext(const ServiceObject* object) { return static_cast<ServiceObject*>(object->next); }
inline void ServiceListClear(ServiceObjectList& list) { ResourceListClear(&list); }
inline void ServiceListPushBack(ServiceObjectList& list, ServiceObject* object) { ResourceListPushBack(&list, object); }
inline void ServiceListRemove(ServiceObjectList& list, ServiceObject* object) { ResourceListRemove(&list, object); }
// Releases every object from the head, then empties the list; survivors no
// longer name it as their owner.
inline void ServiceListReleaseAll(ServiceObjectList& list) { ResourceListReleaseAll(&list); }

// Objects of the DirectSound service list. Command codes run these by place.
class DirectSoundServiceObject : public ServiceObject {
public:
    virtual void Operation3(const void* /*data*/, const void* /*data2*/) {}
    virtual void Operation4(const void* /*data*/) {}
    virtual void Operation5(u32 /*value*/) {}
    virtual void Operation6() {}
    virtual void Operation7() {}
    virtual void Operation8() {}
    virtual void Operation9(u32 /*value*/) {}
    virtual void Operation10(u32 /*value*/) {}
    virtual void Operation11() {}
    virtual void Operation12(u32 /*value*/) {}
    virtual void Operation13() {}
    virtual void Operation14() {}
    virtual void Operation15() {}
    virtual void Operation16() {}
    virtual void Operation17() {}
    virtual void Operation18() {}
    virtual void Operation19() {}
};

// Objects of the DirectMusic service list.
class DirectMusicServiceObject : public ServiceObject {
public:
    virtual void Operation3(const void* /*data*/) {}
    virtual void Operation4(u32 /*value*/) {}
    virtual void Operation5() {}
    virtual void Operation6() {}
    virtual void Operation7() {}
    virtual void Operation8(u32 /*value*/) {}
    virtual void Operation9(u32 /*value*/) {}
    virtual void Operation10() {}
    virtual void Operation11(u32 /*value*/) {}
    virtual void Operation12() {}
    virtual void Operation13() {}
    virtual void Operation14() {}
    virtual void Operation15() {}
    virtual void Operation16() {}
    virtual void Operation17() {}
    virtual void Operation18() {}
};

namespace platform {
class IMediaSeeking;
class IMediaEventEx;
class IMediaControl;
}  // namespace platform

// Media objects of the DirectShow audio service list. The media-event pump
// reads the fields; operation 5 stops a completed object that does not loop.
class DirectShowServiceObject : public ServiceObject {
public:
    virtual void Operation3(const void* /*data*/) {}
    virtual void Operation4(u32 /*value*/) {}
    virtual void Operation5() {}
    virtual void Operation6() {}
    virtual void Operation7() {}
    virtual void Operation8(u32 /*value*/) {}
    virtual void Operation9(u32 /*value*/) {}
    virtual void Operation10(u32 /*value*/) {}

    platform::IMediaSeeking* seeking = nullptr;
    platform::IMediaEventEx* events = nullptr;
    platform::IMediaControl* control = nullptr;
    i64 loopStart = 0;  // in the seeking interface's time format
    i32 active = 0;     // 0: the pump leaves the object alone
    i32 loop = 0;       // play again from loopStart when complete
};
