// The settings dialog's page tree and pages: every control with its spec'd
// text, laid out in aligned label/field rows, and bound to its settings key.
#include "settings/dialog/digitfield.h"
#include "settings/dialog/piecesgroup.h"
#include "settings/dialog/settings.h"
#include "settings/settingkeys.h"
#include "settings/settinglists.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace brisklet::settings::dialog {

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(text(name));
    return widget;
}

QComboBox* choiceBox(ListId list, const char* name)
{
    auto* box = named(new QComboBox, name);
    for (const std::string& entry : choiceList(list).texts)
        box->addItem(QString::fromStdString(entry));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QSpinBox* spinField(const char* name, int minimum, int maximum)
{
    auto* spin = named(new QSpinBox, name);
    spin->setRange(minimum, maximum);
    spin->setAlignment(Qt::AlignRight);
    return spin;
}

// A one-digit field that only its arrows change, as the MP3 quality fields.
QSpinBox* stepField(const char* name, const char* fieldName)
{
    QSpinBox* spin = spinField(name, 0, 9);
    QLineEdit* field = spin->findChild<QLineEdit*>();
    field->setObjectName(text(fieldName));
    field->setReadOnly(true);
    return spin;
}

QCheckBox* checkBox(const char* caption, const char* name)
{
    return named(new QCheckBox(text(caption)), name);
}

QGroupBox* groupBox(const char* title, QLayout* layout)
{
    auto* group = new QGroupBox(text(title));
    group->setLayout(layout);
    return group;
}

QFormLayout* formLayout()
{
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    return form;
}

void addRow(QFormLayout* form, const char* label, QWidget* field)
{
    auto* caption = new QLabel(text(label));
    caption->setBuddy(field);
    form->addRow(caption, field);
}

// Radio buttons of one list filled column by column; the group's id of a
// button is its position in the list.
QGroupBox* radioGroup(ListId list, const char* name, const char* title, int columns,
                      QButtonGroup* buttons)
{
    auto* grid = new QGridLayout;
    const std::vector<std::string>& entries = choiceList(list).texts;
    const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        auto* button = new QRadioButton(QString::fromStdString(entries[static_cast<size_t>(i)]));
        button->setObjectName(text(name) + QLatin1Char('_') + QString::number(i));
        buttons->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    QGroupBox* group = groupBox(title, grid);
    group->setObjectName(text(name));
    return group;
}

QWidget* pageOf(QLayout* layout)
{
    auto* page = new QWidget;
    layout->setContentsMargins(0, 0, 0, 0);
    page->setLayout(layout);
    return page;
}

QVBoxLayout* column(std::initializer_list<QWidget*> widgets)
{
    auto* layout = new QVBoxLayout;
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    layout->addStretch();
    return layout;
}

struct NodeSpec {
    const char* text;
    const char* heading;
    int parent; // tree position of the parent, -1 for a top-level node
};

// By tree position.
constexpr NodeSpec nodes[Tfm_set::pageCount] = {
    {"General", "Set General", -1},     {"MP3", "Set MP3 General", -1},
    {"General", "Set MP3 General", 1},  {"VBR", "Set MP3 VBR", 1},
    {"Filtering", "Set MP3 Filter", 1}, {"Expert", "Set MP3 Expert", 1},
    {"Presets", "Set MP3 Presets", 1},  {"Command Line", "Set MP3 Command Line", 1},
    {"WAV", "Set WAV Format", -1},      {"WMA", "Set WMA Format", -1},
    {"OGG", "Set OGG Format", -1},      {"FLAC", "Set FLAC Format", -1},
    {"Opus", "Set Opus Format", -1},
};

} // namespace

QString Tfm_set::headingOf(int position)
{
    return position >= 0 && position < pageCount ? text(nodes[position].heading) : QString();
}

void Tfm_set::buildTree()
{
    m_tree = named(new QTreeWidget, "TreeView1");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setExpandsOnDoubleClick(false);
    std::vector<QTreeWidgetItem*> items;
    for (int position = 0; position < pageCount; ++position) {
        const NodeSpec& node = nodes[position];
        auto* item = node.parent < 0 ? new QTreeWidgetItem(m_tree)
                                     : new QTreeWidgetItem(items[static_cast<size_t>(node.parent)]);
        item->setText(0, text(node.text));
        item->setData(0, Qt::UserRole, position);
        items.push_back(item);
    }
    m_tree->setFixedWidth(m_tree->fontMetrics().horizontalAdvance(QStringLiteral("Command Line")) +
                          m_tree->indentation() * 2 + 16);
}

void Tfm_set::buildPages()
{
    buildTree();
    m_heading = named(new QLabel, "heading");
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_heading->setFont(bold);

    m_pages = named(new QStackedWidget, "pages");
    QWidget* mp3General = buildMp3GeneralPage();
    m_pageOf = {buildGeneralPage(), mp3General,        mp3General,         buildVbrPage(),
                buildFilterPage(),  buildExpertPage(), buildPresetsPage(), buildCommandLinePage(),
                buildWavPage(),     buildWmaPage(),    buildOggPage(),     buildFlacPage(),
                buildOpusPage()};
    for (int position = 0; position < pageCount; ++position) {
        if (m_pages->indexOf(m_pageOf[static_cast<size_t>(position)]) < 0)
            m_pages->addWidget(m_pageOf[static_cast<size_t>(position)]);
    }

    m_ok = named(new QPushButton(QStringLiteral("Ok")), "btn_ok");
    m_default = named(new QPushButton(QStringLiteral("Default")), "btn_default");
    m_cancel = named(new QPushButton(QStringLiteral("Cancel")), "btn_cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {m_ok, m_default, m_cancel}) {
        // Enter and Escape press none of the buttons.
        button->setAutoDefault(false);
        button->setDefault(false);
        buttons->addWidget(button);
    }

    auto* right = new QVBoxLayout;
    right->addWidget(m_heading);
    right->addWidget(m_pages, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_tree);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    // Keys go to the tree, then the page shown, then the buttons.
    setTabOrder(m_tree, m_pages);
}

QWidget* Tfm_set::buildGeneralPage()
{
    m_mode = new QButtonGroup(this);
    auto* custom = named(new QRadioButton(QStringLiteral("Custom")), "rb_custom");
    auto* byTime = named(new QRadioButton(QStringLiteral("Split every copy into ")), "rb_time");
    auto* byCount = named(new QRadioButton(QStringLiteral("Averagely split into")), "rb_count");
    auto* unification = named(new QRadioButton(QStringLiteral("Unification")), "rb_unification");
    m_mode->addButton(custom, 0);
    m_mode->addButton(byTime, 1);
    m_mode->addButton(byCount, 2);
    m_mode->addButton(unification, 3);
    m_time = named(new DigitField(QStringLiteral(".:")), "edt_time");
    m_count = named(new DigitField, "edt_count");
    for (DigitField* field : {m_time, m_count}) {
        field->setAlignment(Qt::AlignRight);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                             12);
    }
    auto* modes = new QGridLayout;
    modes->addWidget(custom, 0, 0, 1, 3);
    modes->addWidget(byTime, 1, 0);
    modes->addWidget(m_time, 1, 1);
    modes->addWidget(new QLabel(QStringLiteral("Second")), 1, 2);
    modes->addWidget(byCount, 2, 0);
    modes->addWidget(m_count, 2, 1);
    modes->addWidget(new QLabel(QStringLiteral("copy. ")), 2, 2);
    modes->addWidget(unification, 3, 0, 1, 3);
    modes->setColumnStretch(3, 1);
    modes->setVerticalSpacing(2);
    QGroupBox* modeBox = groupBox("Function Choice", modes);

    m_fadeIn = checkBox("IN ", "cb_fadein");
    m_fadeOut = checkBox("Out ", "cb_fadeout");
    m_fadeInTime = choiceBox(ListId::FadeLength, "cb_fadeintime");
    m_fadeOutTime = choiceBox(ListId::FadeLength, "cb_fadeouttime");
    for (QComboBox* length : {m_fadeInTime, m_fadeOutTime}) {
        // A length off the list is typed, in the forms every time field takes.
        length->setEditable(true);
        length->setInsertPolicy(QComboBox::NoInsert);
        length->setToolTip(QStringLiteral("1s to 20s, or a time typed as SS.mmm"));
    }
    auto* fades = new QHBoxLayout;
    fades->addWidget(m_fadeIn);
    fades->addWidget(m_fadeInTime);
    fades->addSpacing(16);
    fades->addWidget(m_fadeOut);
    fades->addWidget(m_fadeOutTime);
    fades->addStretch();
    QGroupBox* fadeBox = groupBox("Fade Settings", fades);

    m_dir = named(new QLineEdit, "edt_dir");
    m_dirButton = named(new QPushButton(QStringLiteral("...")), "bt_dir");
    m_dirButton->setAutoDefault(false);
    m_dirButton->setFixedWidth(m_dirButton->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                               24);
    m_dirButton->setToolTip(QStringLiteral("Choose the output folder"));
    auto* path = new QHBoxLayout;
    path->addWidget(m_dir, 1);
    path->addWidget(m_dirButton);
    QGroupBox* pathBox = groupBox("Output Path:", path);

    m_verify = checkBox("Check what was written", "ck_verify");
    m_verify->setToolTip(QStringLiteral("Read every output again: its length, and for a lossless "
                                        "piece its samples, must be the source's"));

    m_workers = spinField("sp_workers", 0, 64);
    m_workers->setSpecialValueText(QStringLiteral("One per core"));
    m_workers->setToolTip(QStringLiteral("Pieces of a split encoded at the same time"));
    auto* workersRow = new QHBoxLayout;
    workersRow->setContentsMargins(0, 0, 0, 0);
    workersRow->addWidget(new QLabel(QStringLiteral("Pieces encoded at once: ")));
    workersRow->addWidget(m_workers);
    workersRow->addStretch();
    auto* workers = new QWidget;
    workers->setLayout(workersRow);

    m_pieces = new PiecesGroup;
    return pageOf(column({modeBox, fadeBox, pathBox, m_pieces, workers, m_verify}));
}

QWidget* Tfm_set::buildMp3GeneralPage()
{
    m_mp3Frequency = boundList(keys::mp3Frequency, "cb_mp3_frequency");
    m_mp3Channel = boundList(keys::mp3Channel, "cb_mp3_channel");
    m_mp3Bitrate = boundList(keys::mp3Bitrate, "cb_mp3_bitrate");
    QSpinBox* quality = stepField("ud_mp3_quality", "edt_mp3_quality");
    bind(keys::mp3Quality, quality);
    QFormLayout* form = formLayout();
    addRow(form, "Frequency: ", m_mp3Frequency);
    addRow(form, "Channel: ", m_mp3Channel);
    addRow(form, "Bitrate: ", m_mp3Bitrate);
    addRow(form, "Quality: ", quality);

    auto* notes = new QVBoxLayout;
    notes->setSpacing(2);
    for (const char* line : {"8000Hz or 8Kbps - poor quality, small file.",
                             "48000Hz or 320Kbps - good quality, big file.",
                             "Quality: 0 - best quality, low convert speed.",
                             "Quality: 9 - low quality, fast convert speed. "})
        notes->addWidget(new QLabel(text(line)));
    auto* formBox = new QWidget;
    form->setContentsMargins(0, 0, 0, 0);
    formBox->setLayout(form);
    return pageOf(column({formBox, groupBox("Comment:  ", notes)}));
}

QWidget* Tfm_set::buildVbrPage()
{
    m_codingMethod = boundList(keys::vbrCodingMethod, "cb_mp3vbrcm");
    m_vbrBitrate = boundList(keys::vbrBitrate, "cb_mp3_vbr");
    m_vbrQuality = stepField("ud_mp3_vbr", "edt_mp3_vbr");
    m_vbrHeader = boundBox(keys::vbrHeader, "Write VBR Header", "ck_mp3_VBR");
    m_vbrEnforce =
        boundBox(keys::vbrEnforceMinimum, "Strictly enforce minimum bitrate", "ck_mp3_semb");
    bind(keys::vbrQuality, m_vbrQuality);

    QFormLayout* method = formLayout();
    addRow(method, "Coding Method:", m_codingMethod);
    auto* methodBox = new QWidget;
    method->setContentsMargins(0, 0, 0, 0);
    methodBox->setLayout(method);
    QFormLayout* values = formLayout();
    addRow(values, "VBR Bitrate: ", m_vbrBitrate);
    addRow(values, "VBR Quality: ", m_vbrQuality);
    auto* advanced = new QVBoxLayout;
    advanced->addWidget(m_vbrHeader);
    advanced->addWidget(m_vbrEnforce);
    return pageOf(column(
        {methodBox, groupBox("VBR Bitrate/Quality: ", values), groupBox("Advanced", advanced)}));
}

QWidget* Tfm_set::buildFilterPage()
{
    auto filterBox = [](const char* title, QCheckBox* on, QLabel* caption, QSpinBox* frequency,
                        QSpinBox* width) {
        caption->setBuddy(width);
        auto* grid = new QGridLayout;
        grid->addWidget(on, 0, 0);
        grid->addWidget(frequency, 0, 1);
        grid->addWidget(caption, 1, 0);
        grid->addWidget(width, 1, 1);
        grid->setColumnStretch(0, 1);
        return groupBox(title, grid);
    };
    m_highpass = boundBox(keys::highpassOn, "Highpass filtering frequency (in Hz):", "chHFilt");
    m_highpassWidthCaption =
        named(new QLabel(QStringLiteral("Width of Highpass filter (in Hz):")), "lb_hfiltw");
    m_highpassFrequency = boundSpin(keys::highpassFrequency, "udHFiltF", 0, 48000);
    m_highpassWidth = boundSpin(keys::highpassWidth, "udHFiltW", 0, 48000);
    m_lowpass = boundBox(keys::lowpassOn, "Lowpass filtering frequency (in Hz):", "chLFilt");
    m_lowpassWidthCaption =
        named(new QLabel(QStringLiteral("Width of Lowpass filter (in Hz):")), "lb_lfiltw");
    m_lowpassFrequency = boundSpin(keys::lowpassFrequency, "udLFiltF", 0, 48000);
    m_lowpassWidth = boundSpin(keys::lowpassWidth, "udLFiltW", 0, 48000);
    // The caption of the width indents under the check box text.
    const int indent = m_highpass->sizeHint().width() -
                       m_highpass->fontMetrics().horizontalAdvance(m_highpass->text()) - 4;
    m_highpassWidthCaption->setIndent(indent);
    m_lowpassWidthCaption->setIndent(indent);
    return pageOf(column({filterBox("HighPass Filter", m_highpass, m_highpassWidthCaption,
                                    m_highpassFrequency, m_highpassWidth),
                          filterBox("LowPass Filter", m_lowpass, m_lowpassWidthCaption,
                                    m_lowpassFrequency, m_lowpassWidth)}));
}

QWidget* Tfm_set::buildExpertPage()
{
    QCheckBox* crc = boundBox(keys::crc, "include CRC -Checksums", "ck_crc");
    QCheckBox* comply =
        boundBox(keys::strictIso, "comply as much as possible to ISO MPEG spec", "ck_comply");
    QCheckBox* allow = boundBox(keys::allowDiffBlockTypes,
                                "allow block types to differ between channels", "ck_allow");
    QCheckBox* shortBlocks = boundBox(keys::shortBlocks, "short blocks", "ck_short");
    QCheckBox* reservoir = boundBox(keys::bitReservoir, "bit reservoir", "ck_bit");
    QComboBox* ath = boundList(keys::athMode, "cb_ath");
    QComboBox* de = boundList(keys::deEmphasis, "cb_de");
    auto* boxes = new QVBoxLayout;
    boxes->setSpacing(2);
    for (QCheckBox* box : {crc, comply, allow, shortBlocks, reservoir})
        boxes->addWidget(box);
    auto* boxesWidget = new QWidget;
    boxes->setContentsMargins(0, 0, 0, 0);
    boxesWidget->setLayout(boxes);
    QFormLayout* lists = formLayout();
    addRow(lists, "ATH Control:", ath);
    addRow(lists, "De-emphasis :", de);
    auto* listsWidget = new QWidget;
    lists->setContentsMargins(0, 0, 0, 0);
    listsWidget->setLayout(lists);
    return pageOf(column({boxesWidget, listsWidget}));
}

QWidget* Tfm_set::buildPresetsPage()
{
    m_preset = boundBox(keys::presetOn, "Preset", "ck_preset");
    m_altPreset = boundBox(keys::altPresetOn, "Alt-Preset", "ck_alt");
    auto* presets = new QButtonGroup(this);
    auto* altPresets = new QButtonGroup(this);
    m_presetGroup = boundRadios(keys::preset, "rg_prest", "", 4, presets);
    m_altPresetGroup = boundRadios(keys::altPreset, "rg_alt", "", 2, altPresets);
    m_presetGroup->setEnabled(false);
    m_altPresetGroup->setEnabled(false);
    return pageOf(column({m_preset, m_presetGroup, m_altPreset, m_altPresetGroup}));
}

QWidget* Tfm_set::buildCommandLinePage()
{
    m_commandLine = named(new QPlainTextEdit, "txtCommLine");
    // Tab moves on, so that the keyboard can leave the page.
    m_commandLine->setTabChangesFocus(true);
    m_commandLine->setToolTip(QStringLiteral("Extra options for the MP3 encoder"));
    auto* layout = new QVBoxLayout;
    layout->addWidget(m_commandLine);
    return pageOf(layout);
}

QWidget* Tfm_set::buildWavPage()
{
    m_wavMode = new QButtonGroup(this);
    QGroupBox* modes = boundRadios(keys::wavMode, "rb_cdmode", "Mode:", 1, m_wavMode);
    m_wavFrequency = boundList(keys::wavFrequency, "cb_wav_frequency");
    m_wavBits = boundList(keys::wavBits, "cb_wav_bit");
    m_wavChannel = boundList(keys::wavChannel, "cb_wav_channel");
    QFormLayout* form = formLayout();
    addRow(form, "Frequency:", m_wavFrequency);
    addRow(form, "Bit Per Sample", m_wavBits);
    addRow(form, "Channel", m_wavChannel);
    return pageOf(column({modes, groupBox("General Options:", form)}));
}

QWidget* Tfm_set::buildWmaPage()
{
    m_wma = choiceBox(keys::wmaProfile.list, "cb_wma");
    m_wma->setEditable(true);
    m_wma->setInsertPolicy(QComboBox::NoInsert);
    m_wma->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_bindings.push_back({&keys::wmaProfile, [this] { return wmaPosition(); },
                          [this](int position) { m_wma->setCurrentIndex(position); }});
    auto* layout = new QVBoxLayout;
    layout->addWidget(m_wma);
    return pageOf(column({groupBox("WMA Format", layout)}));
}

QWidget* Tfm_set::buildOggPage()
{
    m_oggFrequency = boundList(keys::oggFrequency, "cb_ogg_fre");
    m_oggChannel = boundList(keys::oggChannel, "cb_ogg_channel");
    m_oggBitrate = boundList(keys::oggBitrate, "cb_ogg_bitrate");
    m_oggVbr = boundBox(keys::oggVbrOn, "VBR", "ck_oggvbr");
    m_oggQualityMode = boundBox(keys::oggQualityOn, "Quality", "ck_oggquality");
    m_oggMinBitrate = boundList(keys::oggMinBitrate, "cb_ogg_minbit");
    m_oggMaxBitrate = boundList(keys::oggMaxBitrate, "cb_ogg_maxbit");
    m_oggQuality = boundSpin(keys::oggQuality, "ud_ogg_quality", 0, 1000);
    m_oggQuality->findChild<QLineEdit*>()->setObjectName(QStringLiteral("edt_ogg_quality"));
    m_oggQuality->findChild<QLineEdit*>()->setMaxLength(5);
    new DigitKeyFilter(m_oggQuality);

    QFormLayout* general = formLayout();
    addRow(general, "Frequency: ", m_oggFrequency);
    addRow(general, "Channel: ", m_oggChannel);
    addRow(general, "Bitrate: ", m_oggBitrate);
    auto* flags = new QHBoxLayout;
    flags->addWidget(m_oggVbr);
    flags->addWidget(m_oggQualityMode);
    flags->addStretch();
    general->addRow(QString(), flags);
    QFormLayout* variable = formLayout();
    addRow(variable, "Min Bitrate: ", m_oggMinBitrate);
    addRow(variable, "Max Bitrate: ", m_oggMaxBitrate);
    addRow(variable, "Quality: ", m_oggQuality);
    return pageOf(column({groupBox("General", general), groupBox("VBR/Quality:", variable)}));
}

QWidget* Tfm_set::buildFlacPage()
{
    QFormLayout* form = formLayout();
    addRow(form, "Compression Level: ", boundSpin(keys::flacLevel, "ud_flac_level", 0, 8));
    addRow(form, "Bit Per Sample", boundList(keys::flacBits, "cb_flac_bit"));
    auto* notes = new QVBoxLayout;
    for (const char* line : {"The source's frequency and channels are kept.",
                             "Level 0 - fast convert speed; 8 - smallest file."})
        notes->addWidget(new QLabel(QString::fromUtf8(line)));
    return pageOf(column({groupBox("General Options:", form), groupBox("Notes:", notes)}));
}

QWidget* Tfm_set::buildOpusPage()
{
    QFormLayout* form = formLayout();
    addRow(form, "Bitrate (Kbps): ", boundSpin(keys::opusBitrate, "ud_opus_bitrate", 6, 510));
    addRow(form, "Complexity: ", boundSpin(keys::opusComplexity, "ud_opus_complexity", 0, 10));
    auto* notes = new QVBoxLayout;
    for (const char* line : {"Opus is always written at 48000 Hz.",
                             "Complexity: 0 - fast convert speed; 10 - best quality."})
        notes->addWidget(new QLabel(QString::fromUtf8(line)));
    return pageOf(column({groupBox("General Options:", form), groupBox("Notes:", notes)}));
}

QComboBox* Tfm_set::boundList(const SettingKey& key, const char* name)
{
    QComboBox* list = choiceBox(key.list, name);
    bind(key, list);
    return list;
}

QCheckBox* Tfm_set::boundBox(const SettingKey& key, const char* caption, const char* name)
{
    QCheckBox* box = checkBox(caption, name);
    bind(key, box);
    return box;
}

QSpinBox* Tfm_set::boundSpin(const SettingKey& key, const char* name, int minimum, int maximum)
{
    QSpinBox* spin = spinField(name, minimum, maximum);
    bind(key, spin);
    return spin;
}

QGroupBox* Tfm_set::boundRadios(const SettingKey& key, const char* name, const char* title,
                                int columns, QButtonGroup* buttons)
{
    QGroupBox* group = radioGroup(key.list, name, title, columns, buttons);
    bind(key, buttons);
    return group;
}

void Tfm_set::bind(const SettingKey& key, QComboBox* list)
{
    m_bindings.push_back({&key, [list] { return list->currentIndex(); },
                          [list](int position) { list->setCurrentIndex(position); }});
}

void Tfm_set::bind(const SettingKey& key, QSpinBox* spin)
{
    m_bindings.push_back(
        {&key, [spin] { return spin->value(); }, [spin](int value) { spin->setValue(value); }});
}

void Tfm_set::bind(const SettingKey& key, QCheckBox* box)
{
    m_bindings.push_back({&key, [box] { return box->isChecked() ? 1 : 0; },
                          [box](int on) { box->setChecked(on != 0); }});
}

void Tfm_set::bind(const SettingKey& key, QButtonGroup* group)
{
    m_bindings.push_back({&key, [group] { return std::max(group->checkedId(), 0); },
                          [group](int position) {
                              if (QAbstractButton* button = group->button(position))
                                  button->setChecked(true);
                          }});
}

const Tfm_set::Binding& Tfm_set::bindingOf(const SettingKey& key) const
{
    for (const Binding& binding : m_bindings) {
        if (binding.key == &key)
            return binding;
    }
    throw std::logic_error(std::string("settings dialog: no control for ") + key.section + "/" +
                           key.name);
}

} // namespace brisklet::settings::dialog
