#pragma once
// The about box Tfm_about: the product's icon, name, version and purpose.

#include <QDialog>
#include <QPixmap>

namespace brisklet::app {

// The product icon, 56 x 56: the waveform badge of the main window's face. Also
// the windows' icon.
QPixmap productIcon();

class Tfm_about : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` is where the box shows itself.
    explicit Tfm_about(QWidget* mainWindow);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* m_mainWindow;
};

} // namespace brisklet::app
