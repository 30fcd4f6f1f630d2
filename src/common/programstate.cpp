#include "common/programstate.h"

QString EditorResult;
QString EditorTableName;
QString Qz_LastSql;
