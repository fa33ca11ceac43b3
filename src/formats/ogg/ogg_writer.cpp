#include "formats/ogg/ogg_writer.h"

SaveVerdict PlanOggSave(const SaveRequest&, SavePlan& plan) {
    plan = SavePlan();
    return SaveVerdict::Refused(SaveRefusal::Unsupported, u"writing Ogg files is not supported");
}
