// The product's name and the title its windows and installer show. Macros, so that the resource
// scripts and the installer's build (which reads this file) take them from here as well.
#pragma once

#define CORVANE_PRODUCT_NAME "Corvane 2004"
#define CORVANE_PRODUCT_TITLE "Corvane 2004 - 64-bit Edition"

#ifndef RC_INVOKED
namespace corvane {

inline constexpr char kProductName[] = CORVANE_PRODUCT_NAME;
inline constexpr char kProductTitle[] = CORVANE_PRODUCT_TITLE;

constexpr bool TitleStartsWithName() {
  for (int i = 0; kProductName[i] != '\0'; ++i) {
    if (kProductTitle[i] != kProductName[i]) {
      return false;
    }
  }
  return true;
}
static_assert(TitleStartsWithName(), "the title names the product");

} // namespace corvane
#endif
