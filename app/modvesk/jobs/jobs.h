// Every command of the main window Vesklin, as job code that the window, the
// batch program and the tests all run; each takes the Session it works on. Each
// family has its own header; this one gathers them for the front ends.
#pragma once

#include "access_export.h"
#include "class_files.h"
#include "csv_jobs.h"
#include "csv_sources.h"
#include "gep_jobs.h"
#include "gep_worker.h"
#include "job_steps.h"
#include "rename_logins.h"
#include "settings_checks.h"
#include "shell.h"
#include "siecle_jobs.h"
#include "teacher_tools.h"
#include "trainees.h"
