// The product's own class, interface and library identifiers as the COM code uses them.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "common/com_identifiers.h"

namespace corvane {

inline constexpr CLSID CLSID_CorvaneShell = GuidFromText<CLSID>(kCorvaneShellClassId);
inline constexpr IID IID_ICorvaneShell = GuidFromText<IID>(kCorvaneShellInterfaceId);
inline constexpr GUID LIBID_CORVANELib = GuidFromText<GUID>(kCorvaneTypeLibraryId);

// Dual interface of CorvaneShell: nothing beyond IDispatch.
struct ICorvaneShell : public IDispatch {};

} // namespace corvane
