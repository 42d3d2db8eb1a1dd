#include "job_registry.h"

#include <algorithm>
#include <memory>

namespace batch {

namespace {

// Order of the usage: the menu's order, then any job this list does not know.
const std::vector<std::string> kOrder = {
    "gep-create",      "gep-b2i",    "gep-update", "siecle-create", "siecle-update",
    "csv-create",      "csv-update", "trainees",   "rename-logins", "responsibles",
    "delete-teachers", "access-csv", "clean",      "show",          "slips"};

std::vector<std::unique_ptr<BatchJob>>& registry() {
    static std::vector<std::unique_ptr<BatchJob>> jobs;
    return jobs;
}

size_t rank(const std::string& name) {
    const auto it = std::find(kOrder.begin(), kOrder.end(), name);
    return static_cast<size_t>(it - kOrder.begin());
}

} // namespace

void registerJob(BatchJob job) {
    registry().push_back(std::make_unique<BatchJob>(std::move(job)));
}

const BatchJob* findJob(const std::string& name) {
    for (const auto& job : registry())
        if (job->name == name) return job.get();
    return nullptr;
}

std::vector<const BatchJob*> allJobs() {
    std::vector<const BatchJob*> jobs;
    for (const auto& job : registry())
        jobs.push_back(job.get());
    std::stable_sort(jobs.begin(), jobs.end(), [](const BatchJob* a, const BatchJob* b) {
        return rank(a->name) < rank(b->name);
    });
    return jobs;
}

} // namespace batch
