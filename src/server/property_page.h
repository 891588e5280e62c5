#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <cstddef>

namespace quillomet {

// Makes the control's property page `page` (its place in
// class_facts::PropertyPages) and returns its interface `iid`.
HRESULT CreatePropertyPage(std::size_t page, REFIID iid, void** object);

// A font object as a designer describes it, "Tahoma, 8 pt, bold", in a new
// text the caller frees; null for what is no font.
BSTR DescribeFont(IUnknown* font);

} // namespace quillomet
