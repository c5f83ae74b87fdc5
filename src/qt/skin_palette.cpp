#include "qt/skin_palette.h"

#include <QWidget>

namespace tarnwick::qt {
namespace {

// Halfway between the two: text that is there but not to be read as active.
QColor Faded(const QColor& text, const QColor& background) {
    return QColor((text.red() + background.red()) / 2, (text.green() + background.green()) / 2,
                  (text.blue() + background.blue()) / 2);
}

} // namespace

QPalette SkinPalette(const SkinColours& c) {
    // The bevels' shades follow from the button's and the window's colours.
    QPalette palette(c.button, c.background);
    palette.setColor(QPalette::WindowText, c.text);
    palette.setColor(QPalette::Base, c.background);
    palette.setColor(QPalette::AlternateBase, c.background.lighter(115));
    palette.setColor(QPalette::Text, c.text);
    palette.setColor(QPalette::BrightText, c.text);
    palette.setColor(QPalette::ButtonText, c.button_text);
    palette.setColor(QPalette::Highlight, c.highlight);
    palette.setColor(QPalette::HighlightedText, c.highlighted_text);
    palette.setColor(QPalette::ToolTipBase, c.button);
    palette.setColor(QPalette::ToolTipText, c.button_text);
    palette.setColor(QPalette::Link, c.highlight.lighter(160));
    palette.setColor(QPalette::PlaceholderText, Faded(c.text, c.background));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, Faded(c.text, c.background));
    }
    return palette;
}

void TakeSkinPalette(QWidget& dialog, const QWidget* parent) {
    if (parent != nullptr) dialog.setPalette(parent->window()->palette());
}

} // namespace tarnwick::qt
