#pragma once

#include <string>

class CCategory;

namespace kelvara {

// Where the file-based categories get their data from. The data archive installs itself here;
// without one, only a data file beside the program is found.
class DataFileSource {
public:
    virtual ~DataFileSource() = default;
    // Finds the category's data file and ends in its LoadDataFile; false when it cannot.
    virtual bool LoadCategory(CCategory& category) = 0;
};

// Installs `source` (not owned; null restores the beside-the-program lookup).
void SetDataFileSource(DataFileSource* source);
DataFileSource* GetDataFileSource();
bool LoadCategoryData(CCategory& category);

// The path of `fileName` beside the program when something of that name exists there; empty
// otherwise.
std::string FindBesideProgram(const std::string& fileName);

} // namespace kelvara
