#include "about/InfoAdd.h"

const QStringList& InfoAdds() {
    static const QStringList texts;
    return texts;
}
