// The product's own class, interface and library identifiers.
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace corvane {

extern const CLSID CLSID_CorvaneShell;
extern const IID IID_ICorvaneShell;
extern const GUID LIBID_CORVANELib;

// Dual interface of CorvaneShell: nothing beyond IDispatch.
struct ICorvaneShell : public IDispatch {};

} // namespace corvane
