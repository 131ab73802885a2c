#include "app/about.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace brisklet::app {

QPixmap productIcon()
{
    QPixmap icon(56, 56);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 56, 56);
    fill.setColorAt(0, QColor(0x52, 0xe0, 0xcb));
    fill.setColorAt(1, QColor(0x2a, 0x7f, 0xd4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0, 0, 56, 56), 14, 14);
    painter.setBrush(Qt::white);
    const int heights[] = {12, 24, 36, 20, 28, 14};
    for (int i = 0; i < 6; ++i)
        painter.drawRoundedRect(QRectF(9 + i * 7.2, 28 - heights[i] / 2.0, 4.4, heights[i]), 2, 2);
    return icon;
}

Tfm_about::Tfm_about(QWidget* mainWindow) : QDialog(mainWindow), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Tfm_about"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(261, 272);

    auto* icon = new QLabel(this);
    icon->setPixmap(productIcon());
    icon->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("Brisklet"), this);
    name->setObjectName(QStringLiteral("lb_name"));
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("Version: ") + QStringLiteral("3.00"), this);
    version->setObjectName(QStringLiteral("lb_version"));
    version->setAlignment(Qt::AlignCenter);
    auto* purpose = new QLabel(QStringLiteral("Cut a new small file from a large audio file. ") +
                                   QLatin1Char('\n') +
                                   QStringLiteral("Marge multiple files to a large new one"),
                               this);
    purpose->setObjectName(QStringLiteral("lb_purpose"));
    purpose->setAlignment(Qt::AlignCenter);
    purpose->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("bt_ok"));
    ok->setMinimumWidth(84);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The main window's colours, so the box reads as part of the same program.
    setStyleSheet(QStringLiteral(
        "QDialog#Tfm_about { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #262e3c, stop:1 #141922); }"
        "QLabel { color: #dfe6f0; font: 11px 'DejaVu Sans'; }"
        "QLabel#lb_name { color: #f2f5fa; font: bold 22px 'DejaVu Sans'; }"
        "QLabel#lb_version { color: #8d9ab0; }"
        "QPushButton#bt_ok { color: #e6ebf5; font: 11px 'DejaVu Sans'; padding: 4px 10px;"
        " border: 1px solid #12161e; border-radius: 5px; background: qlineargradient(x1:0, y1:0,"
        " x2:0, y2:1, stop:0 #465166, stop:0.5 #353e50, stop:1 #2a313f); }"
        "QPushButton#bt_ok:hover { border-color: #35d0ba; }"
        "QPushButton#bt_ok:pressed { background: #232a36; }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 18, 10, 14);
    layout->setSpacing(8);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(purpose);
    layout->addStretch();
    layout->addWidget(ok, 0, Qt::AlignCenter);
}

void Tfm_about::showEvent(QShowEvent* event)
{
    if (m_mainWindow)
        move(m_mainWindow->frameGeometry().topLeft());
    QDialog::showEvent(event);
}

} // namespace brisklet::app
