#include "drawing/step.hpp"

#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax1.hxx>
#include <gp_Pnt.hxx>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace drawing {
namespace {

constexpr double millimetres_per_metre = 1000.0;

// OpenCASCADE reports on standard output by default; a library keeps quiet.
void silence() {
  const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
  messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
}

// A scratch file for OpenCASCADE's writer, removed when done.
struct Scratch {
  std::string path;
  Scratch() {
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/veskal-step-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) throw StepError("no scratch file for the STEP writer in " + name);
    close(fd);
    path = name;
  }
  ~Scratch() { std::remove(path.c_str()); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
};

}  // namespace

std::string step_text(const std::vector<Point>& section) {
  if (section.size() < 3) throw StepError("a solid needs a closed section of three points at least");
  silence();
  try {
    BRepBuilderAPI_MakePolygon polygon;
    for (const Point& p : section)
      polygon.Add(gp_Pnt(p.r * millimetres_per_metre, 0.0, p.z * millimetres_per_metre));
    polygon.Close();
    if (!polygon.IsDone()) throw StepError("OpenCASCADE could not close the section");
    BRepBuilderAPI_MakeFace face(polygon.Wire(), true);
    if (!face.IsDone()) throw StepError("OpenCASCADE could not make the section's face");
    BRepPrimAPI_MakeRevol revolved(face.Face(), gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)),
                                   2.0 * std::numbers::pi);
    if (!revolved.IsDone()) throw StepError("OpenCASCADE could not revolve the section");
    STEPControl_Writer writer;
    Interface_Static::SetCVal("write.step.unit", "MM");
    Interface_Static::SetCVal("write.step.schema", "AP214IS");
    if (writer.Transfer(revolved.Shape(), STEPControl_AsIs) != IFSelect_RetDone)
      throw StepError("OpenCASCADE could not transfer the solid to STEP");
    Scratch scratch;
    if (writer.Write(scratch.path.c_str()) != IFSelect_RetDone)
      throw StepError("OpenCASCADE could not write the STEP file");
    std::ifstream in(scratch.path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  } catch (const Standard_Failure& e) {
    throw StepError(std::string("OpenCASCADE: ") + e.GetMessageString());
  }
}

SolidFigures read_step(const std::string& path) {
  silence();
  STEPControl_Reader reader;
  if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) throw StepError("OpenCASCADE cannot read " + path);
  reader.TransferRoots();
  const TopoDS_Shape shape = reader.OneShape();
  SolidFigures f{};
  for (TopExp_Explorer e(shape, TopAbs_SOLID); e.More(); e.Next()) ++f.solids;
  GProp_GProps props;
  BRepGProp::VolumeProperties(shape, props);
  f.volume = props.Mass();
  Bnd_Box box;
  BRepBndLib::AddOptimal(shape, box, false, false);
  box.Get(f.x_min, f.y_min, f.z_min, f.x_max, f.y_max, f.z_max);
  return f;
}

}  // namespace drawing
