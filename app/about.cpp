#include "app/about.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace brisklet::app {

namespace {

// The product icon: the waveform badge of the main window's face.
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

} // namespace

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
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 6);
    name->setFont(bold);
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
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
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
