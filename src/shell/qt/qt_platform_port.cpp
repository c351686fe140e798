#include "shell/qt/qt_platform_port.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

#include "shell/qt/main_window.h"

namespace vp::qt {

std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

QtPlatformPort::QtPlatformPort() : QtPlatformPort(QDir::currentPath().toStdString()) {}

QtPlatformPort::QtPlatformPort(std::string appFolder) : FileSystemPort(std::move(appFolder)) {}

MessageAnswer QtPlatformPort::ShowMessage(const std::string& text, const std::string& title,
                                          MessageButtons buttons, bool questionIcon) {
    // The box covers the window as the handler has left it so far.
    if (window_) window_->Mirror();
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MessageButtons::OKCancel) standard = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == MessageButtons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(questionIcon ? QMessageBox::Question : QMessageBox::NoIcon,
                    QString::fromStdString(title),
                    QString::fromStdString(WithoutCarriageReturns(text)), standard, window_);
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            // Closing a Yes/No box by its frame counts as No.
            return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::OK;
    }
}

void QtPlatformPort::DoEvents() {
    // Mirrored before the pump so that its paints show the state so far, and after it for
    // whatever the events changed.
    if (window_) window_->Mirror();
    QCoreApplication::processEvents();
    if (window_) window_->Mirror();
}

void QtPlatformPort::OpenWebPage(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void QtPlatformPort::ShowMainWindow() {
    if (window_) window_->ShowCentred();
}

void QtPlatformPort::CloseMainWindow() {
    if (window_) window_->close();
}

}  // namespace vp::qt
