// Building transmit jobs.
#include "protocol/transmit_job.h"

#include <cstring>

#include "protocol/frame_format.h"

namespace plindar {

transmit_job_stu MakeTransmitJob(const mac_address& device, const mac_address& adapter,
                                 TransmitJobKind kind) {
    transmit_job_stu job;
    std::memset(&job, 0, sizeof(job));
    std::memcpy(job.destination, device.data(), kMacLength);
    std::memcpy(job.source, adapter.data(), kMacLength);
    job.ether_type[0] = static_cast<uint8_t>(kEtherType >> 8);
    job.ether_type[1] = static_cast<uint8_t>(kEtherType & 0xFF);
    job.kind = kind;
    return job;
}

bool SetJobText(char* field, size_t width, std::string_view text) {
    std::memset(field, 0, width);
    if (text.size() >= width || text.find('\0') != std::string_view::npos) {
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    return true;
}

TransmitJobKind JobKindForCustomizeMode(int mode) {
    switch (mode) {
        case 1:
            return JOB_LOGO;
        case 2:
            return JOB_PARA;
        default:
            return JOB_LOGO_AND_PARA;
    }
}

}  // namespace plindar
