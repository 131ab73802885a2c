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

std::optional<SaveAnswer> WidgetDialogs::chooseSaveFile(QWidget* parent, const QString& folder,
                                                        const QString& filters, int filterIndex)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(folder);
    const QStringList filterList = filters.split(QStringLiteral(";;"));
    dialog.setNameFilters(filterList);
    if (filterIndex >= 1 && filterIndex <= filterList.size())
        dialog.selectNameFilter(filterList[filterIndex - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int chosen = static_cast<int>(filterList.indexOf(dialog.selectedNameFilter()));
    return SaveAnswer{dialog.selectedFiles().first(), chosen < 0 ? filterIndex : chosen + 1};
}

bool WidgetDialogs::confirm(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace brisklet::app
