// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

inline constexpr char ApplicationName[] = "Zelvorin";
inline constexpr char ApplicationVersion[] = "1.00";
inline constexpr char DesktopFileName[] = "org.zelvorin.Zelvorin";
