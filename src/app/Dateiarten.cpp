#include "app/Dateiarten.h"

#include <QFileInfo>

QIcon Dateiarten::icon(IconType art) const
{
    return QFileIconProvider::icon(art);
}

QIcon Dateiarten::icon(const QFileInfo &info) const
{
    return QFileIconProvider::icon(info.isDir() ? Folder : File);
}

QString Dateiarten::type(const QFileInfo &info) const
{
    return info.isDir() ? QString() : info.suffix().toUpper();
}
