#include "app/mainwindow.h"

#include "app/about.h"
#include "app/mainwindow_jobs.h"
#include "app/resourcefolder.h"
#include "app/windowlook.h"
#include "engine/jobsummary.h"
#include "engine/piecesettingsmirror.h"
#include "settings/dialog/dir.h"
#include "settings/dialog/settings.h"
#include "settings/generalsettings.h"
#include "tags/editor/tfm_id3.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <utility>

namespace brisklet::app {

namespace {

const char* const hintLines[] = {
    "",
    " ",
    "    1. Click \"Add\" to add files you want to convert",
    "    2. Set begin-time/end-time for every file.            ",
    "    3. Click \"OK\" button to notarize.",
    "    4. Set Output Format",
    "    5. To cut piece from one big audio file, Click \"Split\"",
    "    6. To marge multiple files into one big file, Click ",
    "\"Join\"",
    "    7. To terminate the conversion, click \"Stop\" button. ",
};

QTreeWidget* reportList(QWidget* parent, const QString& name, const QStringList& columns)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setSectionsClickable(false);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setAlternatingRowColors(true);
    return list;
}

} // namespace

Tfm_main::Tfm_main(MainWindowSetup setup)
    : m_setup(std::move(setup)), m_dialogs(m_setup.dialogs ? m_setup.dialogs : &m_widgetDialogs),
      m_programFolder(m_setup.programFolder.isEmpty()
                          ? resourceFolder(QCoreApplication::applicationDirPath())
                          : m_setup.programFolder),
      m_profile(m_setup.settingsPath), m_audioFileRead(audio::createAudioFile()),
      m_audioFile2write(audio::createAudioFile()),
      m_model(std::make_unique<engine::JobModel>(*this, *m_audioFileRead)),
      m_skin(new skin::Skin(this))
{
    setObjectName(QStringLiteral("Tfm_main"));
    setWindowTitle(QStringLiteral("mp3 audio"));
    // Single border, system menu and minimise button: no maximise, no resize.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(518, 378);
    setAcceptDrops(true);
    createLists();
    createMenus();
    createShortcuts();
    m_pendingPathsTimer.setSingleShot(true);
    m_pendingPathsTimer.setInterval(250);
    connect(&m_pendingPathsTimer, &QTimer::timeout, this, [this] { addPaths({}); });
    // The modal windows, in their creation order after the main window: the
    // settings dialog, the folder chooser, the about box, the tag editor.
    createSettingsDialog();
    m_dir = new settings::dialog::Tfm_dir(m_profile, this);
    m_set->setFolderChooser(m_dir);
    m_about = new Tfm_about(this);
    m_id3 = new tags::editor::Tfm_id3(this);
}

Tfm_main::~Tfm_main() = default;

void Tfm_main::createLists()
{
    m_lv =
        reportList(this, QStringLiteral("lv"),
                   {QStringLiteral("File name"), QStringLiteral("Time"), QStringLiteral("Size")});
    m_lv->setColumnWidth(0, 120);
    m_lv->setColumnWidth(1, 0);
    m_lv->hideColumn(2); // the size text is kept in the row but not shown
    m_lv->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lvTime = reportList(
        this, QStringLiteral("lv_time"),
        {QStringLiteral("Begin Time - End"), QStringLiteral("Length"), QStringLiteral("Status")});
    m_lvTime->setColumnWidth(0, 100);
    m_lvTime->setColumnWidth(1, 55);
    m_lvTime->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_hint = new QPlainTextEdit(this);
    m_hint->setObjectName(QStringLiteral("sm"));
    QStringList lines;
    for (const char* line : hintLines)
        lines.append(QString::fromUtf8(line));
    m_hint->setPlainText(lines.join(QLatin1Char('\n')));
    m_hint->setReadOnly(true);
    m_hint->setEnabled(false);
    m_hint->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_hint->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont italic(QStringLiteral("Arial"));
    italic.setItalic(true);
    italic.setPixelSize(11);
    m_hint->setFont(italic);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("cb_format"));
    m_format->addItems(formatListItems());
    m_format->setCurrentIndex(0);
    m_format->setToolTip(QStringLiteral("Output format of the next split"));

    m_jobSummary = new QLabel(this);
    m_jobSummary->setObjectName(QStringLiteral("lb_job"));
    m_jobSummary->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_jobSummary->setToolTip(QStringLiteral("How Split and Join cut: set in Settings"));

    setStyleSheet(windowStyleSheet());
    // Wide enough for the longest status text, so none is elided.
    m_lvTime->ensurePolished();
    int statusWidth = m_lvTime->header()->fontMetrics().horizontalAdvance(QStringLiteral("Status"));
    for (const std::string* status :
         {&engine::segmentstatus::Uncertain, &engine::segmentstatus::Unconvert,
          &engine::segmentstatus::Converting, &engine::segmentstatus::Finish,
          &engine::segmentstatus::Playing})
        statusWidth =
            std::max(statusWidth,
                     m_lvTime->fontMetrics().horizontalAdvance(QString::fromStdString(*status)));
    m_lvTime->setColumnWidth(2, statusWidth + 16);

    connect(m_lv, &QTreeWidget::itemSelectionChanged, this, &Tfm_main::selectionClick);
    connect(m_lv, &QTreeWidget::itemClicked, this, &Tfm_main::selectionClick);
    connect(m_lv, &QTreeWidget::itemDoubleClicked, this, [this] {
        runCommand([this] {
            if (!state().converting)
                showSegmentEditor();
        });
    });
    connect(m_lvTime, &QTreeWidget::itemClicked, this, &Tfm_main::segmentClick);
    connect(m_lvTime, &QTreeWidget::itemDoubleClicked, this, &Tfm_main::segmentClick);
    connect(m_lvTime, &QTreeWidget::itemSelectionChanged, this, &Tfm_main::segmentClick);
    for (QTreeWidget* list : {m_lv, m_lvTime})
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](QPoint at) { m_dialogs->popup(*m_pLv, list->mapToGlobal(at)); });
}

void Tfm_main::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void Tfm_main::FormShow()
{
    engine::MainState& s = state();
    engine::mirrorGeneralSettings(s, settings::loadGeneralSettings(m_profile));

    setUpSkin();
    if (!m_skinReady)
        return;
    m_lv->setGeometry(120, 92, 122, 170);
    m_lvTime->setGeometry(243, 92, 263, 170);
    // The face leaves the segment list wider than its three columns: the
    // spare width goes to the caption, so "hh:mm:ss - hh:mm:ss" shows whole.
    m_lvTime->setColumnWidth(0, 263 - 2 - 55 - m_lvTime->columnWidth(2));
    m_hint->setGeometry(120, 92, 386, 170);
    m_format->setGeometry(12, 238, 100, 24);
    m_jobSummary->setGeometry(300, 6, 132, 34); // in the title band, left of the version
    showJobSettings();
    m_hint->raise();
    m_audioFileRead->SetActive(true);
    m_audioFile2write->SetActive(true);
    s.selectedSegmentIndex = 0;
    s.converting = false;
    s.previewPlaying = false;
    s.positionDragging = false;
    s.segmentListFocused = false;
    setBarPosition(0);
}

void Tfm_main::showJobSettings()
{
    m_jobSummary->setText(
        QString::fromStdString(engine::modeSummary(state()) + "\n" + engine::fadeSummary(state())));
}

void Tfm_main::setUpSkin()
{
    try {
        m_skin->LoadSkin(m_programFolder + QStringLiteral("/mp3enc.dll"));
        m_skin->ApplySkin(this);
        m_skin->ApplySkinForm(this, QStringLiteral("Brisklet"));
        for (auto [name, object] : {std::pair{"pb", &m_pb},
                                    {"timecaption", &m_timecaption},
                                    {"tataltime", &m_tataltime},
                                    {"nm", &m_nm},
                                    {"pbpos", &m_pbpos},
                                    {"convertpb", &m_convertpb}})
            *object = m_skin->GetSkinForm(this)->FindObject(QString::fromLatin1(name));
    } catch (const skin::SkinError& error) {
        // Without its face the window has nothing to offer: say why and end.
        m_dialogs->inform(this, QString::fromStdString(error.what()));
        // The program entry sees skinReady() and ends with an error status;
        // no event loop is told to quit here, so later dialogs still run.
        m_skinReady = false;
        close();
        return;
    }
    m_skinReady = true;
    // The lists keep the first focus; Tab reaches the face's objects after them.
    QWidget::setTabOrder(m_format, m_skin);
    connect(m_skin, &skin::Skin::OnClick, this,
            [this](skin::SkinObject* source) { Skin1Click(source->GetName()); });
    connect(m_skin, &skin::Skin::OnMouseDown, this, &Tfm_main::barMouseDown);
    connect(m_skin, &skin::Skin::OnScrollTrack, this, &Tfm_main::barScrollTrack);
    connect(m_skin, &skin::Skin::OnMouseUp, this, &Tfm_main::barMouseUp);
    if (m_convertpb)
        m_convertpbRect = m_convertpb->GetRect();
    setBarPosition(0);
    setProgressWidth(0);
    setPercentText(std::string());
    model().refreshTotalTime();
}

void Tfm_main::closeEvent(QCloseEvent* event)
{
    // Closing is never refused: a running job is stopped, then the general
    // settings are written back.
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    if (state().previewPlaying)
        stopPreview();
    if (state().converting)
        model().stopJob();
    if (m_shown) {
        try {
            settings::saveGeneralSettings(m_profile, engine::generalSettingsOf(state()));
        } catch (const std::exception& error) {
            m_dialogs->inform(this, QString::fromStdString(error.what()));
        }
    }
    event->accept();
}

void Tfm_main::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && !state().converting)
        event->acceptProposedAction();
}

void Tfm_main::dropEvent(QDropEvent* event)
{
    if (state().converting)
        return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    addPaths(paths);
}

void Tfm_main::addPaths(const QStringList& paths)
{
    m_pendingPaths += paths;
    // Files that arrive during a job, a modal window or another add wait for
    // its end, so that nothing changes the list under it.
    if (state().converting || m_addingPaths || QApplication::activeModalWidget()) {
        m_pendingPathsTimer.start();
        return;
    }
    const QStringList taken = std::exchange(m_pendingPaths, {});
    if (taken.isEmpty())
        return;
    m_addingPaths = true;
    runCommand([this, &taken] {
        if (state().previewPlaying)
            stopPreview();
        // Files go in as through the file dialog, folders as by "Add Folder".
        for (const QString& path : taken) {
            if (QFileInfo(path).isDir()) {
                addFolderContents(path);
            } else {
                pumpEvents();
                inform(model().addSource(QDir::cleanPath(path).toStdString(),
                                         engine::AddOrigin::Dialog));
            }
        }
        model().finishAdding();
    });
    m_addingPaths = false;
}

} // namespace brisklet::app
