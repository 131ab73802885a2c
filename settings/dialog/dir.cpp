#include "settings/dialog/dir.h"

#include "settings/profilefile.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace brisklet::settings::dialog {

namespace {

constexpr int classicWidth = 360;
// The title bar's icon and its three buttons, with some room between.
constexpr int titleBarButtons = 5 * 32;

} // namespace

namespace {

QPushButton* plainButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // Enter and Escape press none of the buttons.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

QString newFolderPath(const QString& parent)
{
    QString path = parent;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QStringLiteral("New Folder");
}

Tfm_dir::Tfm_dir(ProfileFile& profile, QWidget* mainWindow)
    : QDialog(mainWindow), m_profile(profile), m_mainWindow(mainWindow),
      m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this)),
      m_newFolder(plainButton(QStringLiteral("New Folder"), this)),
      m_ok(plainButton(QStringLiteral("Ok"), this)),
      m_cancel(plainButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("Tfm_dir"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(classicWidth, 281);

    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setRootPath(QString());
    m_tree->setObjectName(QStringLiteral("ShellTreeView1"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setRootIsDecorated(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    // A right click selects the folder under the mouse, as a left click does.
    m_tree->setContextMenuPolicy(Qt::PreventContextMenu);
    m_newFolder->setObjectName(QStringLiteral("Button1"));
    m_ok->setObjectName(QStringLiteral("btn_ok"));
    m_cancel->setObjectName(QStringLiteral("btn_cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_newFolder);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_tree);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &Tfm_dir::OkClick);
    connect(m_cancel, &QPushButton::clicked, this, &Tfm_dir::CancelClick);
    connect(m_newFolder, &QPushButton::clicked, this, &Tfm_dir::NewFolderClick);
    // The close box gives up, as Cancel does.
    connect(this, &QDialog::rejected, this, [this] { m_chosenFolder.clear(); });

    selectFolder(QDir::homePath());
}

QString Tfm_dir::choose(const QString& caption, DirPurpose purpose, const QString& startFolder)
{
    setWindowTitle(caption);
    // Wider than the tree needs, so that a window manager's title bar shows
    // the whole caption beside its icon and buttons, in a bold font as most
    // draw it, also at a large font.
    QFont titleFont = font();
    titleFont.setBold(true);
    const int captionRoom = QFontMetrics(titleFont).horizontalAdvance(caption) + titleBarButtons;
    setFixedSize(std::max(classicWidth, captionRoom), 281);
    if (!startFolder.isEmpty() && QFileInfo(startFolder).isDir())
        selectFolder(startFolder);
    m_purpose = purpose;
    m_chosenFolder.clear();
    exec();
    return m_chosenFolder;
}

QString Tfm_dir::selectedFolder() const
{
    QModelIndex index = m_tree->currentIndex();
    if (!index.isValid() || !m_tree->selectionModel()->isSelected(index))
        return {};
    return QDir::cleanPath(m_model->filePath(index));
}

void Tfm_dir::selectFolder(const QString& path)
{
    QModelIndex index = m_model->index(QDir::cleanPath(path));
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void Tfm_dir::showEvent(QShowEvent* event)
{
    if (m_mainWindow)
        move(m_mainWindow->frameGeometry().topLeft());
    QDialog::showEvent(event);
}

void Tfm_dir::keyPressEvent(QKeyEvent* event)
{
    // Escape and Enter do not close the chooser; only its buttons and close box do.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void Tfm_dir::OkClick()
{
    m_chosenFolder = selectedFolder();
    if (m_purpose == DirPurpose::OutputFolder) {
        m_profile.writeText("Output", "Dir", m_chosenFolder.toStdString());
        Q_EMIT outputFolderChosen(m_chosenFolder);
    }
    done(QDialog::Accepted);
}

void Tfm_dir::CancelClick()
{
    m_chosenFolder.clear();
    done(QDialog::Rejected);
}

void Tfm_dir::NewFolderClick()
{
    QString parent = selectedFolder();
    if (parent.isEmpty())
        return;
    // One folder, no number added: when it exists already the creation fails
    // and nothing is reported.
    QDir().mkdir(newFolderPath(parent));
}

} // namespace brisklet::settings::dialog
