#include "app/services/UiServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "platform/Paths.h"

namespace tolvex {

namespace {

// Paths are bytes: Qt's file functions take them back exactly from the local 8-bit form.
QString localText(const std::string& path) {
  return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

QUrl fileUrl(const std::string& path) { return QUrl::fromLocalFile(localText(path)); }

void openDialog(QFileDialog* dialog, UiServices::PathCallback done) {
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done](int result) {
    const QStringList files = dialog->selectedFiles();
    if (result == QDialog::Accepted && !files.isEmpty())
      done(files.first().toLocal8Bit().toStdString());
    else
      done(std::nullopt);
  });
  dialog->open();
}

}  // namespace

UiServices UiServices::standard() {
  UiServices services;
  services.chooseFolder = [](QWidget* parent, const QString& prompt, const std::string& startFolder,
                             PathCallback done) {
    auto* dialog = new QFileDialog(parent, QString(), localText(startFolder));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    openDialog(dialog, std::move(done));
  };
  services.chooseSaveFile = [](QWidget* parent, const std::string& startFolder, const QString& fileName,
                               PathCallback done) {
    auto* dialog = new QFileDialog(parent, QString(), localText(startFolder));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(QObject::tr("Comma-separated values (*.csv)"));
    dialog->selectFile(fileName);
    openDialog(dialog, std::move(done));
  };
  services.openUrl = [](const QUrl& url) {
    if (url.scheme() != QLatin1String("file") && url.scheme() != QLatin1String("http") &&
        url.scheme() != QLatin1String("https"))
      return false;
    return QDesktopServices::openUrl(url);
  };
  services.revealInFileManager = [](const std::string& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{fileUrl(path).toString(QUrl::FullyEncoded)} << QString();
    QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage) QDesktopServices::openUrl(fileUrl(parentPath(path)));
  };
  services.openFile = [](const std::string& path) { QDesktopServices::openUrl(fileUrl(path)); };
  services.checkForUpdates = [](QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::Information, QObject::tr("Check for Updates"),
                                QObject::tr("Tolvex is updated with your system’s packages. Use your package "
                                            "manager to get the newest version."),
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  };
  // Desktop notification servers show what they are sent without a grant: there is nothing to ask.
  services.requestNotificationPermission = [] {};
  return services;
}

UiServices& UiServices::shared() {
  static UiServices services = standard();
  return services;
}

}  // namespace tolvex
