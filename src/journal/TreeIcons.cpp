#include "journal/TreeIcons.h"

QList<QIcon> DreamTreeImages() {
    return {QIcon(), QIcon(), QIcon(), QIcon()};
}
