// The page at /: the URL scheme, the options as the library tells them,
// and live examples.
#pragma once

#include <string>

std::string home_page();
