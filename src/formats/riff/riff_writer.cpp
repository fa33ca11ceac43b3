#include "formats/riff/riff_writer.h"

SaveVerdict PlanRiffSave(const SaveRequest&, SavePlan& plan) {
    plan = SavePlan();
    return SaveVerdict::Refused(SaveRefusal::Unsupported, u"writing RIFF files is not supported");
}
