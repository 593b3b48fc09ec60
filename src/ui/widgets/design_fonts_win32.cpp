// The design faces on Windows, all named: the system's own substitutes for a missing face
// (Wine's for the design face among them) decide what is drawn, as they always have.
#include "ui/widgets/design.h"

namespace ocuvell::design {

const QStringList& designFamilies() {
    static const QStringList families = designFaces();
    return families;
}

} // namespace ocuvell::design
