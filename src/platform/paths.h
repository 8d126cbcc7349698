#pragma once
// Where the program's files live.
//
// The program keeps its fixed Windows paths as texts ("c:\kynovia",
// "\help\inhalt.htm", "c:\kynovia\db\kynoviadb"); mapPath() turns such a text
// into a file of this machine: the prefix "c:\kynovia" (any case) becomes the
// data directory and every backslash becomes a slash.
#include <QString>

namespace platform {

// $KYNOVIA_HOME, or $XDG_DATA_HOME/kynovia (~/.local/share/kynovia).
// Without a trailing slash.
QString dataDirectory();

// Directory of the settings (INI) files: $KYNOVIA_CONFIG, or
// $XDG_CONFIG_HOME/kynovia (~/.config/kynovia). Without a trailing slash.
QString configDirectory();

// "c:\kynovia\help\inhalt.htm" -> <dataDirectory>/help/inhalt.htm.
// The prefix must be followed by a separator or end the text
// ("c:\kynoviax" is not the data directory). Other texts only get their
// backslashes turned into slashes.
QString mapPath(const QString& windowsPath);

// $KYNOVIA_DATABASE (a file or a server's "host:/path"), else the mapped
// "c:\kynovia\db\kynoviadb".
QString databasePath();

// The fixed Windows texts of the program.
inline constexpr char16_t installDirectoryText[] = u"c:\\kynovia";
inline constexpr char16_t databaseFileText[] = u"c:\\kynovia\\db\\kynoviadb";
inline constexpr char16_t helpFileText[] = u"C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP";

} // namespace platform
