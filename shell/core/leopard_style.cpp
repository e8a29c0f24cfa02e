#include "core/leopard_style.h"

namespace tn {

QString leopardStyleSheet() {
    // Colours: amber #f2b544 to #d98e1f, dark brown #5a3a12, cream #fff8e6, spots of #7a4a14.
    return QStringLiteral(R"(
QPushButton {
    color: #3b250a;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffd98a, stop:0.5 #f2b544, stop:1 #d98e1f);
    border: 1px solid #5a3a12;
    border-radius: 5px;
    padding: 3px 10px;
    font-weight: bold;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffe6ad, stop:0.5 #f7c562, stop:1 #e39d2c);
}
QPushButton:pressed {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #c9811a, stop:1 #f2b544);
}
QPushButton:disabled {
    color: #8c7a5e;
    background: #e8d9b8;
    border-color: #a08660;
}
QTabWidget::pane {
    border: 2px solid #5a3a12;
    border-radius: 4px;
    background: #fff8e6;
}
QTabBar::tab {
    color: #3b250a;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f7c562, stop:1 #d98e1f);
    border: 1px solid #5a3a12;
    padding: 2px 8px;
    margin: 0 1px;
}
QTabBar::tab:selected {
    color: #1e1204;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff1cc, stop:1 #f2b544);
}
QListView, QListWidget, QTreeView, QLineEdit, QPlainTextEdit, QComboBox {
    color: #1e1204;
    background: #fff8e6;
    border: 1px solid #7a4a14;
    selection-background-color: #d98e1f;
    selection-color: #ffffff;
}
QCheckBox, QRadioButton, QGroupBox {
    color: #3b250a;
}
QGroupBox {
    border: 1px solid #7a4a14;
    border-radius: 4px;
    margin-top: 12px;
    font-weight: bold;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
}
QToolTip {
    color: #1e1204;
    background: #fff1cc;
    border: 1px solid #5a3a12;
}
)");
}

}  // namespace tn
