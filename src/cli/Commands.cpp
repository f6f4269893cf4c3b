#include "cli/Commands.h"

const QVector<Command> &commands()
{
    static const QVector<Command> table = {
        {QStringLiteral("show"), QStringLiteral("show FILE [--json]"),
         QStringLiteral("print a terminal file (.S2D/.S3D/.S4D) with its lists, texts and cards"), runShow},
    };
    return table;
}
