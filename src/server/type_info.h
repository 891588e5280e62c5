#pragma once

#include <oaidl.h>

namespace quillomet {

// The library's own type library, loaded once from its resource.
ITypeLib* OrdinalexTypeLib();
// The vtable view of the dual interface, which DispInvoke wants.
ITypeInfo* QuillometInterfaceInfo();
ITypeInfo* QuillometClassInfo();
// Lets go of the three above; from the library's entry point as it is
// unloaded while the process goes on.
void ReleaseTypeInformation() noexcept;

} // namespace quillomet
