// What the class needs from the module: the live-object count behind DllCanUnloadNow and the
// type library that serves IDispatch.
#pragma once
#include <oaidl.h>

namespace qx::wexcal31 {

void ObjectCreated();
void ObjectDestroyed();

// The type information of _ZIZEZODE, loaded from the DLL's own TYPELIB resource on first use.
// The caller receives a reference of its own.
HRESULT InterfaceTypeInfo(ITypeInfo** info);

} // namespace qx::wexcal31
