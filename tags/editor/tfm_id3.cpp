#include "tags/editor/tfm_id3.h"

#include "tags/editor/genrenames.h"

#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace brisklet::tags::editor {

namespace {

// Rows the file list shows without a scroll bar: one less than the count
// from which the narrower column leaves room for it.
constexpr int visibleRows = Tfm_id3::longListRows - 1;

// Per field, in TagField order: its label (with the mnemonic that reaches
// its box), the name of its "All" button and where the record keeps it.
struct FieldTraits {
    const char* label;
    const char* allButton;
    std::string AudioFileinfo::*member;
};
constexpr FieldTraits fieldTraits[] = {
    {"&Title", "bt_allTitle", &AudioFileinfo::Title},
    {"A&rtist", "bt_allArtist", &AudioFileinfo::Artist},
    {"Al&bum", "bt_allAlbum", &AudioFileinfo::Album},
    {"&Year", "bt_allYear", &AudioFileinfo::Year},
    {"&Genre", "bt_allGenre", &AudioFileinfo::Genre},
    {"Co&mment", "bt_allComment", &AudioFileinfo::Comment},
};
static_assert(std::size(fieldTraits) == tagFields.size());

const FieldTraits& traitsOf(TagField field)
{
    return fieldTraits[static_cast<size_t>(field)];
}

size_t indexOf(TagField field)
{
    return static_cast<size_t>(field);
}

// The editor's own look, in the colours of the main window's face.
const char* const editorStyle =
    "QDialog#Tfm_id3 { background: #1b212b; }"
    "QGroupBox { color: #b8c4d6; border: 1px solid #2c3545; border-radius: 4px;"
    " margin-top: 8px; padding-top: 6px; font: bold 11px 'DejaVu Sans'; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; }"
    "QLabel { color: #b8c4d6; font: 11px 'DejaVu Sans'; }"
    "QLineEdit, QPlainTextEdit, QComboBox { background: #0f141b; color: #dfe6f0;"
    " border: 1px solid #2c3545; border-radius: 3px; padding: 2px 4px;"
    " selection-background-color: #1f6f66; font: 11px 'DejaVu Sans'; }"
    "QLineEdit:focus, QPlainTextEdit:focus, QComboBox:focus { border-color: #2f9c8f; }"
    "QComboBox QAbstractItemView { background: #0f141b; color: #dfe6f0;"
    " selection-background-color: #1f6f66; border: 1px solid #2c3545; }"
    "QTreeWidget#lv_id3 { background: #0f141b; color: #dfe6f0; border: 1px solid #2c3545;"
    " font: 11px 'DejaVu Sans Condensed'; outline: 0; }"
    "QTreeWidget#lv_id3::item { border-bottom: 1px solid #1c2430; border-right: 1px solid "
    "#1c2430; padding: 1px 3px; }"
    "QTreeWidget#lv_id3::item:selected { background: #1f6f66; color: #ffffff; }"
    "QTreeWidget#lv_id3 QHeaderView::section { background: #2a3240; color: #b8c4d6; border: 0;"
    " padding: 2px 4px; font: bold 10px 'DejaVu Sans Condensed'; }"
    "QScrollBar:vertical { background: #151b24; width: 16px; margin: 0;"
    " border-left: 1px solid #2c3545; }"
    "QScrollBar::handle:vertical { background: #3a4456; min-height: 24px;"
    " margin: 2px 3px; border-radius: 4px; }"
    "QScrollBar::handle:vertical:hover { background: #4a566c; }"
    "QScrollBar::add-line:vertical, "
    "QScrollBar::sub-line:vertical { height: 0; border: 0; }"
    "QScrollBar::add-page:vertical, "
    "QScrollBar::sub-page:vertical { background: none; }"
    "QPushButton { background: #2a313f; color: #e6ebf5; border: 1px solid #12161e;"
    " border-radius: 4px; padding: 3px 10px; font: 11px 'DejaVu Sans'; }"
    "QPushButton:hover { background: #343d4e; }"
    "QPushButton:pressed { background: #1f2530; }"
    "QPushButton:focus { border-color: #2f9c8f; }"
    "QPushButton#bt_ok { background: #1f6f66; font-weight: bold; }"
    "QPushButton#bt_ok:hover { background: #258478; }";

} // namespace

std::string& fieldOf(AudioFileinfo& record, TagField field)
{
    return record.*traitsOf(field).member;
}

const std::string& fieldOf(const AudioFileinfo& record, TagField field)
{
    return record.*traitsOf(field).member;
}

Tfm_id3::Tfm_id3(QWidget* mainWindow) : QDialog(mainWindow), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Tfm_id3"));
    setWindowTitle(QStringLiteral("ID3 Edit"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setStyleSheet(QString::fromLatin1(editorStyle));
    buildControls();
    layOutControls();
    fillGenres();
    connectControls();
}

Tfm_id3::~Tfm_id3() = default;

void Tfm_id3::buildControls()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lv_id3"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("File Name")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->setColumnWidth(0, shortListColumnWidth);

    m_group = new QGroupBox(QStringLiteral("Tag"), this);
    m_group->setObjectName(QStringLiteral("gb_tag"));
    auto lineEdit = [this](const char* name) {
        auto* edit = new QLineEdit(m_group);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    m_title = lineEdit("edt_tatal");
    m_artist = lineEdit("edt_art");
    m_album = lineEdit("edt_alb");
    m_year = lineEdit("edt_year");
    m_genre = new QComboBox(m_group);
    m_genre->setObjectName(QStringLiteral("edt_genre"));
    m_genre->setEditable(true);
    // Typing a name and pressing Enter must not add it to the table.
    m_genre->setInsertPolicy(QComboBox::NoInsert);
    m_genre->setMaxVisibleItems(16);
    m_comment = new QPlainTextEdit(m_group);
    m_comment->setObjectName(QStringLiteral("edt_com"));
    m_comment->setTabChangesFocus(true);
    // The comment takes whatever height the file list leaves it.
    m_comment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    m_comment->setMinimumHeight(48);

    for (TagField field : tagFields) {
        auto* button = new QPushButton(QStringLiteral("All"), m_group);
        button->setObjectName(QString::fromLatin1(traitsOf(field).allButton));
        button->setAutoDefault(false);
        button->setToolTip(
            QStringLiteral("Give every file this %1")
                .arg(
                    QString::fromLatin1(traitsOf(field).label).remove(QLatin1Char('&')).toLower()));
        m_all[indexOf(field)] = button;
    }

    auto dialogButton = [this](const char* text, const char* name) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        button->setMinimumWidth(76);
        return button;
    };
    buildCoverControls();
    m_reset = dialogButton("Reset", "bt_reset");
    m_ok = dialogButton("Ok", "bt_ok");
    m_cancel = dialogButton("Cancel", "bt_cancel");
    // Enter in a one-line box commits, as in any dialog; Escape cancels.
    m_ok->setDefault(true);
    m_reset->setToolTip(QStringLiteral("Forget the changes made since the editor opened"));
}

void Tfm_id3::layOutControls()
{
    // The file list is as high as visibleRows rows, so the wide column holds
    // up to that count and the narrow one starts with the scroll bar.
    m_list->ensurePolished(); // row and header heights as the style sheet makes them
    auto* probe = new QTreeWidgetItem(m_list, {QStringLiteral("Probe")});
    const int rowHeight = m_list->sizeHintForRow(0);
    delete probe;
    const int frame = 2 * m_list->frameWidth();
    const int headerHeight = m_list->header()->sizeHint().height();
    m_list->setFixedSize(shortListColumnWidth + frame,
                         headerHeight + visibleRows * rowHeight + frame);

    auto* fields = new QGridLayout(m_group);
    fields->setContentsMargins(10, 14, 10, 10);
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(7);
    QWidget* boxes[] = {m_title, m_artist, m_album, m_year, m_genre, m_comment};
    for (TagField field : tagFields) {
        const int row = static_cast<int>(indexOf(field));
        auto* label = new QLabel(QString::fromLatin1(traitsOf(field).label), m_group);
        label->setBuddy(boxes[row]);
        const bool comment = field == TagField::Comment;
        fields->addWidget(label, row, 0, comment ? Qt::AlignTop | Qt::AlignLeft : Qt::AlignLeft);
        fields->addWidget(boxes[row], row, 1);
        fields->addWidget(m_all[indexOf(field)], row, 2, comment ? Qt::AlignTop : Qt::Alignment());
    }
    const int coverRowAt = static_cast<int>(tagFields.size());
    fields->addWidget(new QLabel(QStringLiteral("Picture:"), m_group), coverRowAt, 0,
                      Qt::AlignTop | Qt::AlignLeft);
    fields->addLayout(coverRow(), coverRowAt, 1, 1, 2);
    fields->setColumnMinimumWidth(1, 230);
    fields->setRowStretch(static_cast<int>(indexOf(TagField::Comment)), 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_reset);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* right = new QVBoxLayout;
    right->addWidget(m_group, 1);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(m_list);
    layout->addLayout(right, 1);
    // As high as the file list, the boxes beside it.
    const QSize hint = layout->sizeHint();
    const QMargins margins = layout->contentsMargins();
    setFixedSize(hint.width(), std::max(layout->minimumSize().height(),
                                        m_list->height() + margins.top() + margins.bottom()));

    setTabOrder(m_list, m_title);
    QWidget* previous = m_title;
    for (TagField field : tagFields) {
        QWidget* box = boxes[indexOf(field)];
        if (box != m_title)
            setTabOrder(previous, box);
        setTabOrder(box, m_all[indexOf(field)]);
        previous = m_all[indexOf(field)];
    }
    setTabOrder(previous, m_pictureButton);
    setTabOrder(m_pictureButton, m_noPictureButton);
    previous = m_noPictureButton;
    setTabOrder(previous, m_ok);
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_reset);
}

void Tfm_id3::fillGenres()
{
    // Once for the window's life: the drop-down never holds a name twice.
    QStringList names;
    for (std::string_view name : genreNames)
        names.append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    m_genre->addItems(names);
    m_genre->setCurrentIndex(-1);
    m_genre->clearEditText();
    // Suggest table names while typing, but never change what was typed.
    auto* completer = new QCompleter(names, m_genre);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    m_genre->setCompleter(completer);
}

void Tfm_id3::connectControls()
{
    connect(m_title, &QLineEdit::textChanged, this, [this] { store(TagField::Title); });
    connect(m_artist, &QLineEdit::textChanged, this, [this] { store(TagField::Artist); });
    connect(m_album, &QLineEdit::textChanged, this, [this] { store(TagField::Album); });
    connect(m_year, &QLineEdit::textChanged, this, [this] { store(TagField::Year); });
    connect(m_genre, &QComboBox::editTextChanged, this, [this] { store(TagField::Genre); });
    connect(m_comment, &QPlainTextEdit::textChanged, this, [this] { store(TagField::Comment); });
    for (QObject* box : {static_cast<QObject*>(m_title), static_cast<QObject*>(m_artist),
                         static_cast<QObject*>(m_album), static_cast<QObject*>(m_year),
                         static_cast<QObject*>(m_comment)})
        box->installEventFilter(this);

    for (TagField field : tagFields)
        connect(m_all[indexOf(field)], &QPushButton::clicked, this,
                [this, field] { AllClick(field); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &Tfm_id3::lv_id3Click);
    connect(m_pictureButton, &QPushButton::clicked, this, &Tfm_id3::PictureClick);
    connect(m_noPictureButton, &QPushButton::clicked, this, &Tfm_id3::NoPictureClick);
    connect(m_reset, &QPushButton::clicked, this, &Tfm_id3::ResetClick);
    connect(m_ok, &QPushButton::clicked, this, &Tfm_id3::OkClick);
    connect(m_cancel, &QPushButton::clicked, this, &Tfm_id3::CancelClick);
}

void Tfm_id3::edit(TagEditorHost& host)
{
    m_host = &host;
    exec();
    m_host = nullptr;
}

void Tfm_id3::showEvent(QShowEvent* event)
{
    if (m_mainWindow)
        move(m_mainWindow->frameGeometry().topLeft());
    FormShow();
    QDialog::showEvent(event);
}

void Tfm_id3::FormShow()
{
    startFromSourceList();
    m_returnRow = std::max(selectedRow(), 0);
    m_list->setFocus();
}

void Tfm_id3::startFromSourceList()
{
    m_captions = m_host ? m_host->sourceCaptions() : std::vector<std::string>{};
    fillRows();
    if (m_list->topLevelItemCount() > 0)
        selectRow(0);
    m_working = m_host ? m_host->tagList() : TagList{};
    const int row = selectedRow();
    if (row >= 0 && static_cast<size_t>(row) < m_working.size())
        loadBoxes(m_working[static_cast<size_t>(row)],
                  QString::fromStdString(m_captions[static_cast<size_t>(row)]));
    else
        clearBoxes();
}

void Tfm_id3::fillRows()
{
    m_loading = true;
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_captions.size()));
    for (const std::string& caption : m_captions)
        items.append(new QTreeWidgetItem(QStringList{QString::fromStdString(caption)}));
    m_list->addTopLevelItems(items);
    m_loading = false;
    updateColumnWidth();
}

void Tfm_id3::updateColumnWidth()
{
    m_list->setColumnWidth(0, m_list->topLevelItemCount() < longListRows ? shortListColumnWidth
                                                                         : longListColumnWidth);
}

int Tfm_id3::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
}

void Tfm_id3::selectRow(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    m_loading = true;
    m_list->setCurrentItem(item);
    item->setSelected(true);
    m_list->scrollToItem(item);
    m_loading = false;
}

QPushButton* Tfm_id3::allButton(TagField field) const
{
    return m_all[indexOf(field)];
}

QString Tfm_id3::boxText(TagField field) const
{
    switch (field) {
    case TagField::Title:
        return m_title->text();
    case TagField::Artist:
        return m_artist->text();
    case TagField::Album:
        return m_album->text();
    case TagField::Year:
        return m_year->text();
    case TagField::Genre:
        return m_genre->currentText();
    case TagField::Comment:
        break;
    }
    return m_comment->toPlainText();
}

void Tfm_id3::setBoxText(TagField field, const QString& text)
{
    switch (field) {
    case TagField::Title:
        m_title->setText(text);
        break;
    case TagField::Artist:
        m_artist->setText(text);
        break;
    case TagField::Album:
        m_album->setText(text);
        break;
    case TagField::Year:
        m_year->setText(text);
        break;
    case TagField::Genre:
        m_genre->setEditText(text);
        break;
    case TagField::Comment:
        m_comment->setPlainText(text);
        break;
    }
}

void Tfm_id3::loadBoxes(const AudioFileinfo& record, const QString& title)
{
    const AudioFileinfo shown = record; // storing below writes into `record`
    m_loading = true;
    for (TagField field : tagFields)
        setBoxText(field, field == TagField::Title ? title
                                                   : QString::fromStdString(fieldOf(shown, field)));
    m_loading = false;
    showCover(shown.Cover);
    // What the window sets is stored like anything typed: a Title taken from
    // the caption becomes the row's working Title.
    for (TagField field : tagFields)
        store(field);
}

void Tfm_id3::clearBoxes()
{
    m_loading = true;
    for (TagField field : tagFields)
        setBoxText(field, QString());
    m_loading = false;
    showCover({});
}

void Tfm_id3::store(TagField field)
{
    if (m_loading)
        return;
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= m_working.size())
        return;
    fieldOf(m_working[static_cast<size_t>(row)], field) = boxText(field).toStdString();
}

void Tfm_id3::leaveBox(TagField field)
{
    store(field);
    if (field != TagField::Title)
        return;
    if (QTreeWidgetItem* item = m_list->topLevelItem(selectedRow()))
        item->setText(0, m_title->text());
}

bool Tfm_id3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_title)
            leaveBox(TagField::Title);
        else if (watched == m_artist)
            leaveBox(TagField::Artist);
        else if (watched == m_album)
            leaveBox(TagField::Album);
        else if (watched == m_year)
            leaveBox(TagField::Year);
        else if (watched == m_comment)
            leaveBox(TagField::Comment);
    }
    return QDialog::eventFilter(watched, event);
}

void Tfm_id3::lv_id3Click()
{
    if (m_loading || m_list->topLevelItemCount() == 0)
        return;
    if (selectedRow() < 0)
        selectRow(m_returnRow);
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= m_working.size()) {
        clearBoxes();
        return;
    }
    const AudioFileinfo& record = m_working[static_cast<size_t>(row)];
    loadBoxes(record, QString::fromStdString(record.Title));
}

void Tfm_id3::AllClick(TagField field)
{
    const std::string text = boxText(field).toStdString();
    for (AudioFileinfo& record : m_working)
        fieldOf(record, field) = text;
}

void Tfm_id3::ResetClick()
{
    startFromSourceList();
}

void Tfm_id3::OkClick()
{
    if (m_host && m_list->topLevelItemCount() > 0) {
        m_host->tagList() = m_working;
        for (size_t i = 0; i < m_working.size(); ++i) {
            if (!m_working[i].Title.empty())
                m_host->setSourceCaption(static_cast<int>(i), m_working[i].Title);
        }
    }
    done(QDialog::Accepted);
}

void Tfm_id3::CancelClick()
{
    done(QDialog::Rejected);
}

void Tfm_id3::done(int result)
{
    // However the window closes (Ok, Cancel, Escape, the close box) the rows
    // go and the working copy is dropped.
    m_loading = true;
    m_list->clear();
    m_loading = false;
    m_working.clear();
    m_captions.clear();
    QDialog::done(result);
}

} // namespace brisklet::tags::editor
