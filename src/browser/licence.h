// SPDX-License-Identifier: GPL-3.0-or-later
// Who holds the copyright and under what licence, as both programs' --version
// and the About window say it.
#pragma once

namespace zelvo {

inline constexpr const char* kCopyrightText = "Copyright (C) 2026 the Zelvo developers";
inline constexpr const char* kLicenceText =
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

}  // namespace zelvo
