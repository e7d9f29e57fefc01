#include "ui/SvgPicture.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QSvgRenderer>

namespace orv::ui {

QPixmap svgPicture(const QString &name, int size)
{
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer.isValid()) {
        qWarning("svgPicture: the picture \"%s\" is missing or cannot be read", qPrintable(name));
        return {};
    }
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return pixmap;
}

} // namespace orv::ui
