// The design faces through fontconfig: only those installed are named. For each name
// missing, the toolkit would first ask fontconfig for a sorted list of stand-ins, script
// by script, a large part of the start-up; the first installed face is the one drawn
// either way. The installed ones are found in the family list the toolkit reads anyway:
// asking for each name on its own would run fontconfig's substitution rules once a name.
#include "ui/widgets/design.h"

#include <QFontDatabase>

namespace ocuvell::design {

const QStringList& designFamilies() {
    static const QStringList families = [] {
        const QStringList wanted = designFaces();
        const QStringList all = QFontDatabase::families();
        QStringList installed;
        for (const QString& family : wanted)
            if (all.contains(family, Qt::CaseInsensitive))
                installed << family;
        return installed.isEmpty() ? wanted : installed;
    }();
    return families;
}

} // namespace ocuvell::design
