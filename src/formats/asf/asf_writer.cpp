#include "formats/asf/asf_writer.h"

SaveVerdict PlanAsfSave(const SaveRequest&, SavePlan& plan) {
    plan = SavePlan();
    return SaveVerdict::Refused(SaveRefusal::Unsupported, u"writing ASF files is not supported");
}
