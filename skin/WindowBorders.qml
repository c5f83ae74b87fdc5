// The borders to resize the window from, along its edges and at its corners,
// above everything else there. A press on one asks for `resize` from its
// edges.

import QtQuick

Item {
    id: borders
    signal resize(string edges)
    readonly property int borderWidth: 5
    readonly property int cornerSize: 12

    ResizeBorder {
        objectName: "resizeLeft"
        edges: "left"
        y: borders.cornerSize
        width: borders.borderWidth
        height: borders.height - 2 * borders.cornerSize
        cursorShape: Qt.SizeHorCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeRight"
        edges: "right"
        x: borders.width - width
        y: borders.cornerSize
        width: borders.borderWidth
        height: borders.height - 2 * borders.cornerSize
        cursorShape: Qt.SizeHorCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeTop"
        edges: "top"
        x: borders.cornerSize
        width: borders.width - 2 * borders.cornerSize
        height: borders.borderWidth
        cursorShape: Qt.SizeVerCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeBottom"
        edges: "bottom"
        x: borders.cornerSize
        y: borders.height - height
        width: borders.width - 2 * borders.cornerSize
        height: borders.borderWidth
        cursorShape: Qt.SizeVerCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeTopLeft"
        edges: "top left"
        width: borders.cornerSize
        height: borders.cornerSize
        cursorShape: Qt.SizeFDiagCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeTopRight"
        edges: "top right"
        x: borders.width - width
        width: borders.cornerSize
        height: borders.cornerSize
        cursorShape: Qt.SizeBDiagCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeBottomLeft"
        edges: "bottom left"
        y: borders.height - height
        width: borders.cornerSize
        height: borders.cornerSize
        cursorShape: Qt.SizeBDiagCursor
        onPressed: borders.resize(edges)
    }
    ResizeBorder {
        objectName: "resizeBottomRight"
        edges: "bottom right"
        x: borders.width - width
        y: borders.height - height
        width: borders.cornerSize
        height: borders.cornerSize
        cursorShape: Qt.SizeFDiagCursor
        onPressed: borders.resize(edges)
    }
}
