// The text pages of the information dialog.
#pragma once

#include <QStringList>

// The program's eleven paragraphs about its use; one list for the whole run.
const QStringList& InfoAdds();
