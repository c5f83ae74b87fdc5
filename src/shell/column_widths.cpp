#include "shell/column_widths.h"

#include "settings/column_widths.h"

namespace tarnwick::shell {

void KeptColumnWidths::Restore() {
    if (const auto widths = settings::LoadColumnWidths(store_)) grid_.SetColumnWidths(*widths);
    grid_.SetColumnListener(this);
}

void KeptColumnWidths::OnColumnsResized() {
    settings::SaveColumnWidths(store_, grid_.ColumnWidths());
}

} // namespace tarnwick::shell
