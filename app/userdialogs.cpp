#include "app/userdialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace brisklet::app {

QStringList WidgetDialogs::chooseSourceFiles(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void WidgetDialogs::inform(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, parent);
    box.exec();
}

void WidgetDialogs::popup(QMenu& menu, QPoint screenPosition)
{
    menu.exec(screenPosition);
}

void WidgetDialogs::open(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace brisklet::app
