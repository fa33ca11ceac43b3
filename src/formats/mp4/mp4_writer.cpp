#include "formats/mp4/mp4_writer.h"

SaveVerdict PlanMp4Save(const SaveRequest&, SavePlan& plan) {
    plan = SavePlan();
    return SaveVerdict::Refused(SaveRefusal::Unsupported, u"writing MP4 files is not supported");
}
