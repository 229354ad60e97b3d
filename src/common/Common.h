// Reads of framework values shared by every unit of the library.
#pragma once

namespace tvav {

// Factory option, or `fallback` when it cannot be read.
int ReadFactoryOption(int option, int fallback);

// Product country (spec tag 1 of handle (p 1, s 0)); on failure logs
// "[TCSOSpec::Get] tag[1] failed" and returns -1.
int ReadCountry();

}  // namespace tvav
