#pragma once

// The maker's web site, shown and opened by the link labels of the windows.
inline constexpr char MakerSiteAddress[] = "https://www.quendlewick.org/parley/";
inline constexpr char MakerSiteCaption[] = "www.quendlewick.org";
