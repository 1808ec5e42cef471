#pragma once
// The system's fontconfig configuration, loaded so that it writes nothing and reads nothing
// of the user's.
#include <fontconfig/fontconfig.h>

namespace gdi_text {

// The configuration of /etc/fonts with the system's font folders, or null. The user's home
// is off for the whole process from the first call (no ~/.fonts, no user configuration or
// cache), and FONTCONFIG_FILE, FONTCONFIG_PATH and FONTCONFIG_SYSROOT are not followed.
// The system's fonts are in its font set only when every font folder has a valid cache:
// fontconfig would otherwise write one, and as root into the system's cache folder.
FcConfig* LoadSystemFontConfig();

}  // namespace gdi_text
