#pragma once
// The general page's group for pieces found for the user: the output name
// template, track numbers, the join's cue sheet and the search for pauses.

#include "settings/piecesettings.h"

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace brisklet::settings::dialog {

class PiecesGroup : public QGroupBox {
public:
    explicit PiecesGroup(QWidget* parent = nullptr);

    void load(const PieceSettings& settings);
    PieceSettings value() const;
    // The message to show for a name template that cannot be used, or "".
    QString check() const;

private:
    QLineEdit* m_name;
    QCheckBox* m_trackNumbers;
    QCheckBox* m_writeCue;
    QSpinBox* m_silenceDb;
    QSpinBox* m_silencePauseMs;
    QSpinBox* m_silencePieceSeconds;
    QCheckBox* m_silenceTrim;
};

} // namespace brisklet::settings::dialog
