#pragma once
// The about box Tfm_about: the product's icon, name, version and purpose.

#include <QDialog>

namespace brisklet::app {

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
