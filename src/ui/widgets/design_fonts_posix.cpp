// The design faces through fontconfig: only those installed are named. For each name
// missing, the toolkit would first ask fontconfig for a sorted list of stand-ins, script
// by script, a large part of the start-up; the first installed face is the one drawn
// either way.
#include "ui/widgets/design.h"

#include <QFontDatabase>

namespace ocuvell::design {

const QStringList& designFamilies() {
    static const QStringList families = [] {
        const QStringList wanted = designFaces();
        QStringList installed;
        for (const QString& family : wanted)
            if (QFontDatabase::hasFamily(family))
                installed << family;
        return installed.isEmpty() ? wanted : installed;
    }();
    return families;
}

} // namespace ocuvell::design
