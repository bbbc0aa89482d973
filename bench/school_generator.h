// A synthetic school of any size, for the benchmark: the eight DRUV transfer files and a solved
// timetable SOLUC consistent with the tables that exporting those files builds.
#pragma once

#include <string>

namespace tpd {

struct SchoolSize {
  long subjects = 300, activities = 20, teachers = 150, rooms = 80, groups = 60,
       assignments = 1500, sessions = 60, timetable_rows = 5000;
};
// Scale K multiplies every count of the large secondary school of scale 1.
SchoolSize ScaledSchool(long k);

// Writes the transfer files into `folder` and SOLUC.DBF into `table_folder` (both must exist).
void GenerateSchool(const SchoolSize& size, const std::u16string& folder,
                    const std::u16string& table_folder);

}  // namespace tpd
