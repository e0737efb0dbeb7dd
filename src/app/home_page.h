#pragma once
// The maker's home page, opened from the menu, the banner and named in the help text.
inline constexpr char kHomePageAddress[] = "https://www.zelvorn.example/";
