// A strip along the window's edge, or a corner, to resize the window from:
// `edges` names them as the "IDC_FS_Resize" command's args do.

import QtQuick

MouseArea {
    property string edges
}
