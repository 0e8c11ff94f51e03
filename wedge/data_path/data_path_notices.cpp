// The notices' table, empty until the wedge's start-up fills it in.
#include "data_path_notices.h"

DataPathNotices g_dataPathNotices = {};
