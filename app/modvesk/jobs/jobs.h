// Every command of the main window Vesklin, as job code that the window, the
// batch program and the tests all run; each takes the Session it works on. Each
// family has its own header; this one gathers them for the front ends.
#pragma once

#include "jobs/access_export.h"
#include "jobs/csv_conversion.h"
#include "jobs/csv_jobs.h"
#include "jobs/gep_jobs.h"
#include "jobs/gep_worker.h"
#include "jobs/job_steps.h"
#include "jobs/rename_logins.h"
#include "jobs/settings_checks.h"
#include "jobs/shell.h"
#include "jobs/siecle_jobs.h"
#include "jobs/teacher_tools.h"
#include "jobs/trainees.h"
#include "writers/class_files.h"
