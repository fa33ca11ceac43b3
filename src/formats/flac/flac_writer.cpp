#include "formats/flac/flac_writer.h"

SaveVerdict PlanFlacSave(const SaveRequest&, SavePlan& plan) {
    plan = SavePlan();
    return SaveVerdict::Refused(SaveRefusal::Unsupported, u"writing FLAC files is not supported");
}
