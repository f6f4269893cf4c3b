#pragma once
// Icons and types for the file dialog, told from the name alone.
//
// Qt's own provider reads the first bytes of every file it lists to find its
// type, in the window's thread. A file that never answers a read (a FIFO,
// /proc/kmsg for root, a hung network mount) would freeze the window while
// the dialog merely shows its folder.

#include <QFileIconProvider>

class Dateiarten : public QFileIconProvider {
public:
    QIcon icon(IconType art) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};
