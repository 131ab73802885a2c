#include "settings/dialog/piecesgroup.h"

#include "engine/nametemplate.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace brisklet::settings::dialog {

namespace {

template <class Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QSpinBox* spin(const char* name, int low, int high, const char* suffix)
{
    auto* box = named(new QSpinBox, name);
    box->setRange(low, high);
    box->setSuffix(QString::fromLatin1(suffix));
    return box;
}

} // namespace

PiecesGroup::PiecesGroup(QWidget* parent) : QGroupBox(QStringLiteral("Pieces"), parent)
{
    m_name = named(new QLineEdit, "edt_name");
    m_name->setPlaceholderText(QString::fromStdString(engine::defaultNameTemplate));
    m_name->setToolTip(QStringLiteral(
        "Names of split pieces. Fields: {name} {n} {n:02} {count} {title} {artist} {album} "
        "{start} {free}. Empty: name_1, name_2, ..."));
    m_trackNumbers =
        named(new QCheckBox(QStringLiteral("Track numbers in tags (3/12)")), "ck_tracknumbers");
    m_writeCue = named(new QCheckBox(QStringLiteral("Cue sheet beside a join")), "ck_writecue");
    m_silenceDb = spin("ud_silence_db", -100, -1, " dB");
    m_silencePauseMs = spin("ud_silence_pause", 10, 60000, " ms");
    m_silencePieceSeconds = spin("ud_silence_piece", 0, 3600, " s");
    m_silenceTrim = named(new QCheckBox(QStringLiteral("Trim to the sound")), "ck_silence_trim");

    auto* pauses = new QHBoxLayout;
    pauses->addWidget(m_silenceDb);
    pauses->addWidget(new QLabel(QStringLiteral("for")));
    pauses->addWidget(m_silencePauseMs);
    pauses->addWidget(new QLabel(QStringLiteral("pieces of")));
    pauses->addWidget(m_silencePieceSeconds);
    pauses->addWidget(m_silenceTrim);
    pauses->addStretch();
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_trackNumbers);
    checks->addWidget(m_writeCue);
    checks->addStretch();

    auto* form = new QFormLayout(this);
    form->setVerticalSpacing(2);
    form->addRow(QStringLiteral("Names:"), m_name);
    form->addRow(QStringLiteral("Pauses:"), pauses);
    form->addRow(checks);
}

void PiecesGroup::load(const PieceSettings& s)
{
    m_name->setText(QString::fromStdString(s.nameTemplate));
    m_trackNumbers->setChecked(s.trackNumbers);
    m_writeCue->setChecked(s.writeCue);
    m_silenceDb->setValue(s.silenceDb);
    m_silencePauseMs->setValue(s.silencePauseMs);
    m_silencePieceSeconds->setValue(s.silencePieceMs / 1000);
    m_silenceTrim->setChecked(s.silenceTrim);
}

PieceSettings PiecesGroup::value() const
{
    PieceSettings s;
    s.nameTemplate = m_name->text().toStdString();
    s.trackNumbers = m_trackNumbers->isChecked();
    s.writeCue = m_writeCue->isChecked();
    s.silenceDb = m_silenceDb->value();
    s.silencePauseMs = m_silencePauseMs->value();
    s.silencePieceMs = m_silencePieceSeconds->value() * 1000;
    s.silenceTrim = m_silenceTrim->isChecked();
    return s;
}

QString PiecesGroup::check() const
{
    const std::string why = engine::checkNameTemplate(m_name->text().toStdString());
    return why.empty() ? QString() : QStringLiteral("Names: ") + QString::fromStdString(why);
}

} // namespace brisklet::settings::dialog
