// Undoing the last removal from the list.
#pragma once

namespace tarnwick::shell {

class RemovalUndo {
public:
    virtual ~RemovalUndo() = default;
    // Puts the items of the last removal back in their places; false when
    // there is nothing to undo.
    virtual bool Undo() = 0;
};

} // namespace tarnwick::shell
