#pragma once
// The ANSI code page the path list arrives in, as the system describes it.

#include "hash/core/code_page.h"

namespace corvane {

AnsiCodePage SystemCodePage();

} // namespace corvane
