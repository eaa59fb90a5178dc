#include "core/app/envset.h"

#include <cstring>

namespace zv {

namespace {

std::string ValueName(const char* field) { return std::string("m_tagEnvSet.") + field; }
std::string ValueName(const char* field, int index) {
  return ValueName(field) + "[" + std::to_string(index) + "]";
}

// Walks the record in load/save order. `visitor` gets (value name, field) for
// integers and (value name, field, capacity) for texts.
template <class Record, class Visitor>
void VisitFields(Record& s, Visitor&& visit) {
  visit.Int(ValueName("dwdExcCnt"), s.dwdExcCnt);
  for (int k = 0; k < kColumnCount; ++k) visit.Int(ValueName("intClmWid", k), s.intClmWid[k]);
  for (int k = 0; k < kColumnCount; ++k) visit.Int(ValueName("intClmOdr", k), s.intClmOdr[k]);
  visit.Int(ValueName("dwdLstMod"), s.dwdLstMod);
  visit.Int(ValueName("dwdDspMod"), s.dwdDspMod);
  visit.Int(ValueName("intThmSiz"), s.intThmSiz);
  visit.Int(ValueName("intDirPrn"), s.intDirPrn);
  visit.Int(ValueName("intSotMod"), s.intSotMod);
  visit.Int(ValueName("intSotDir"), s.intSotDir);
  visit.Int(ValueName("intSysDte"), s.intSysDte);
  visit.Text(ValueName("chaLstFld"), s.chaLstFld, sizeof s.chaLstFld);
  visit.Text(ValueName("chaSavFol"), s.chaSavFol, sizeof s.chaSavFol);
  visit.Text(ValueName("chaDteFmt"), s.chaDteFmt, sizeof s.chaDteFmt);
  visit.Text(ValueName("chaFilNam"), s.chaFilNam, sizeof s.chaFilNam);
  visit.Text(ValueName("chaNumFmt"), s.chaNumFmt, sizeof s.chaNumFmt);
  visit.Text(ValueName("chaExtNam"), s.chaExtNam, sizeof s.chaExtNam);
  visit.Int(ValueName("intNamMod"), s.intNamMod);
}

// The record's defaults come from a default-constructed EnvSet, so the
// defaults are written down once, in the struct.
struct Loader {
  const ProfileSection& profile;
  LeadBytePredicate isLead;
  void Int(const std::string& name, int32_t& field) { field = profile.ReadInt(name, field); }
  void Text(const std::string& name, char* field, size_t capacity) {
    CopyToField(field, capacity, profile.ReadText(name, field), isLead);
  }
};

struct Saver {
  ProfileSection& profile;
  void Int(const std::string& name, const int32_t& field) { profile.WriteInt(name, field); }
  void Text(const std::string& name, const char* field, size_t capacity) {
    profile.WriteText(name, std::string(field, strnlen(field, capacity)));
  }
};

struct NameCollector {
  std::vector<std::string> names;
  void Int(const std::string& name, const int32_t&) { names.push_back(name); }
  void Text(const std::string& name, const char*, size_t) { names.push_back(name); }
};

}  // namespace

void LoadEnvSet(EnvSet& settings, const ProfileSection& profile, std::string_view documentsFolder,
                LeadBytePredicate isLead) {
  settings = EnvSet{};
  CopyToField(settings.chaSavFol, documentsFolder, isLead);
  VisitFields(settings, Loader{profile, isLead});
}

void SaveEnvSet(const EnvSet& settings, ProfileSection& profile) {
  VisitFields(settings, Saver{profile});
}

std::vector<std::string> EnvSetValueNames() {
  NameCollector collector;
  const EnvSet record{};
  VisitFields(record, collector);
  return collector.names;
}

void CountNormalExit(ProfileSection& profile) {
  const std::string name = ValueName("dwdExcCnt");
  const int32_t stored = profile.ReadInt(name, EnvSet{}.dwdExcCnt);
  // Wraps like the record's own increment instead of overflowing.
  profile.WriteInt(name, static_cast<int32_t>(static_cast<uint32_t>(stored) + 1u));
}

}  // namespace zv
