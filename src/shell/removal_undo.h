// Takes the last removal of items back.
#pragma once

namespace tarnwick::shell {

class RemovalUndo {
public:
    virtual ~RemovalUndo() = default;
    // Puts the items of the last removal that can still be undone back; false
    // when there is none.
    virtual bool Undo() = 0;
};

} // namespace tarnwick::shell
