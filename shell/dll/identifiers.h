// The product's own class, interface and library identifiers. Header-only, so that the tests that
// create the class from outside use the very same values.
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace corvane {

inline constexpr CLSID CLSID_CorvaneShell = {
    0x6B0F4A10, 0x52C3, 0x4E7D, {0x9A, 0x21, 0x3C, 0x5D, 0x7E, 0x8F, 0x9A, 0x01}};
inline constexpr IID IID_ICorvaneShell = {
    0x6B0F4A11, 0x52C3, 0x4E7D, {0x9A, 0x21, 0x3C, 0x5D, 0x7E, 0x8F, 0x9A, 0x01}};
inline constexpr GUID LIBID_CORVANELib = {
    0x6B0F4A1D, 0x52C3, 0x4E7D, {0x9A, 0x21, 0x3C, 0x5D, 0x7E, 0x8F, 0x9A, 0x01}};

// Dual interface of CorvaneShell: nothing beyond IDispatch.
struct ICorvaneShell : public IDispatch {};

} // namespace corvane
