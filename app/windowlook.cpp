#include "app/windowlook.h"

namespace brisklet::app {

const QString& windowStyleSheet()
{
    static const QString sheet = QStringLiteral(
        // The lists of the main window.
        "QTreeWidget { background: #0f141b; alternate-background-color: #131a23; color: #dfe6f0;"
        " border: 1px solid #2c3545; font: 11px 'DejaVu Sans Condensed'; }"
        "QTreeWidget::item { border-bottom: 1px solid #1c2430; padding: 1px 2px; }"
        "QTreeWidget::item:selected { background: #1f6f66; color: #ffffff; }"
        "QHeaderView { background: #2a3240; }"
        "QHeaderView::section { background: #2a3240; color: #b8c4d6; border: 0;"
        " border-right: 1px solid #1a2029; padding: 2px 4px; font: bold 10px 'DejaVu Sans "
        "Condensed'; }"
        "QPlainTextEdit#sm { background: #0f141b; color: #aab6c8; border: 1px solid #2c3545; }"
        "QComboBox#cb_format { background: #2a313f; color: #e6ebf5; border: 1px solid #12161e;"
        " border-radius: 4px; padding: 1px 6px; font: bold 11px 'DejaVu Sans'; }"
        "QComboBox#cb_format QAbstractItemView { background: #2a313f; color: #e6ebf5; }"
        "QLabel#lb_job { color: #8d9ab0; font: 10px 'DejaVu Sans Condensed'; }"
        // Scroll bars, of the lists and of every dialog.
        "QScrollBar:vertical { background: #151b24; width: 14px; margin: 0;"
        " border-left: 1px solid #2c3545; }"
        "QScrollBar:horizontal { background: #151b24; height: 14px; margin: 0;"
        " border-top: 1px solid #2c3545; }"
        "QScrollBar::handle { background: #3a4456; border-radius: 4px; margin: 2px 3px; }"
        "QScrollBar::handle:vertical { min-height: 24px; }"
        "QScrollBar::handle:horizontal { min-width: 24px; margin: 3px 2px; }"
        "QScrollBar::handle:hover { background: #4a566c; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
        // Dialogs and message boxes.
        "QDialog, QMessageBox { background: #1b212b; }"
        "QDialog QLabel, QCheckBox, QRadioButton, QMessageBox QLabel { color: #b8c4d6; }"
        "QCheckBox:disabled, QRadioButton:disabled, QLabel:disabled { color: #5d6879; }"
        "QGroupBox { color: #b8c4d6; border: 1px solid #2c3545; border-radius: 4px;"
        " margin-top: 8px; padding-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; }"
        "QDialog QLineEdit, QDialog QPlainTextEdit, QDialog QComboBox, QDialog QSpinBox {"
        " background: #0f141b; color: #dfe6f0; border: 1px solid #2c3545; border-radius: 3px;"
        " padding: 1px 4px; selection-background-color: #1f6f66; }"
        "QDialog QLineEdit:disabled, QDialog QComboBox:disabled, QDialog QSpinBox:disabled {"
        " background: #161b23; color: #5d6879; }"
        "QDialog QComboBox QAbstractItemView { background: #0f141b; color: #dfe6f0;"
        " selection-background-color: #1f6f66; }"
        "QDialog QTreeView, QDialog QListView { background: #0f141b; color: #dfe6f0;"
        " border: 1px solid #2c3545; selection-background-color: #1f6f66; }"
        "QDialog QPushButton { background: #2a313f; color: #e6ebf5; border: 1px solid #12161e;"
        " border-radius: 4px; padding: 3px 10px; }"
        "QDialog QPushButton:hover { background: #343d4e; }"
        "QDialog QPushButton:disabled { color: #5d6879; }"
        "QMenu { background: #1b212b; color: #dfe6f0; border: 1px solid #2c3545; }"
        "QMenu::item:selected { background: #1f6f66; }"
        "QMenu::item:disabled { color: #5d6879; }"
        "QToolTip { background: #1b212b; color: #dfe6f0; border: 1px solid #2c3545; }");
    return sheet;
}

} // namespace brisklet::app
