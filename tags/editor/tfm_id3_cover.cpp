// The tag editor's cover picture: a thumbnail of the selected file's front
// cover, replaced from an image file or removed. Like the text boxes it edits
// the working copy; "Ok" keeps the change, "Cancel" and "Reset" drop it.
#include "tags/coverart.h"
#include "tags/editor/tfm_id3.h"
#include "tags/tagerror.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace brisklet::tags::editor {

namespace {
constexpr int kThumbnailSize = 64;
} // namespace

void Tfm_id3::buildCoverControls()
{
    m_cover = new QLabel(m_group);
    m_cover->setObjectName(QStringLiteral("img_cover"));
    m_cover->setFixedSize(kThumbnailSize, kThumbnailSize);
    m_cover->setAlignment(Qt::AlignCenter);
    m_cover->setFrameShape(QFrame::StyledPanel);
    auto button = [this](const char* text, const char* name, const char* tip) {
        auto* b = new QPushButton(QString::fromLatin1(text), m_group);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setToolTip(QString::fromLatin1(tip));
        return b;
    };
    m_pictureButton =
        button("Replace...", "bt_picture", "Take the cover picture from an image file");
    m_noPictureButton = button("Remove", "bt_nopicture", "Give this file no cover picture");
    m_choosePicture = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Cover Picture"), QString(),
                                            QStringLiteral("Images (*.jpg *.jpeg *.png *.gif)"));
    };
    m_inform = [](QWidget* parent, const QString& message) {
        QMessageBox::information(parent, QStringLiteral("Information"), message);
    };
}

QLayout* Tfm_id3::coverRow()
{
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pictureButton);
    buttons->addWidget(m_noPictureButton);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_cover);
    row->addLayout(buttons);
    row->addStretch();
    return row;
}

void Tfm_id3::setPictureDialogs(std::function<QString(QWidget*)> choose,
                                std::function<void(QWidget*, const QString&)> inform)
{
    m_choosePicture = std::move(choose);
    m_inform = std::move(inform);
}

void Tfm_id3::showCover(const Picture& picture)
{
    QPixmap image;
    if (!picture.empty())
        image.loadFromData(reinterpret_cast<const uchar*>(picture.data.data()),
                           static_cast<uint>(picture.data.size()));
    if (image.isNull()) {
        m_cover->setPixmap({});
        m_cover->setText(picture.empty() ? QStringLiteral("None") : QStringLiteral("Picture"));
    } else {
        m_cover->setPixmap(
            image.scaled(m_cover->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    m_noPictureButton->setEnabled(!picture.empty());
}

void Tfm_id3::PictureClick()
{
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= m_working.size())
        return;
    const QString file = m_choosePicture(this);
    if (file.isEmpty())
        return;
    try {
        m_working[static_cast<size_t>(row)].Cover = ReadPictureFile(file.toStdString());
    } catch (const TagError& error) {
        m_inform(this, QString::fromStdString(error.what()));
        return;
    }
    showCover(m_working[static_cast<size_t>(row)].Cover);
}

void Tfm_id3::NoPictureClick()
{
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= m_working.size())
        return;
    m_working[static_cast<size_t>(row)].Cover = Picture{};
    showCover({});
}

} // namespace brisklet::tags::editor
