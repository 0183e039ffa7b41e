#pragma once

#include <QString>

namespace Core {
namespace Processes {

/// The names of the parameters of list steps, as process lists store them and the list view shows
/// them. Each name is spelled here only; descriptors, dialogs, the list editor and tests use these.
/// Plain literals, so that tables initialized before main may use them too.
namespace Parameter {

// ---- materials: a base name stands for three parameters (see materialId, materialColor) ----
constexpr const char *Material = "Material";
/// Bosch etching's passivating film.
constexpr const char *PassivationMaterial = "Passivation Material";
constexpr const char *ConductingMaterial = "Conducting Material";
constexpr const char *DepositedMaterial = "Deposited Material";
constexpr const char *DopedMaterial = "Doped Material";
/// The identifier of a material (uint), usually hidden: "Material_Id".
inline QString materialId(const QString &base) { return base + QStringLiteral("_Id"); }
/// The colour of a material (QColor), always hidden: "Material_Color".
inline QString materialColor(const QString &base) { return base + QStringLiteral("_Color"); }
constexpr const char *MaterialId = "Material_Id";

// ---- lengths and amounts ----
constexpr const char *Thickness = "Thickness";
constexpr const char *FilmThickness = "Film Thickness";
constexpr const char *Depth = "Depth";
constexpr const char *EtchDepth = "Etch Depth";
constexpr const char *DopingDepth = "Doping Depth";
constexpr const char *HorizontalToVerticalRatio = "Horizontal to Vertical Ratio";
constexpr const char *MaximumHeight = "Maximum Height";
constexpr const char *MinimumHeight = "Minimum Height";

// ---- wet etching ----
/// "BCA" or "CCA"; absent in older lists, which etch by bond counting.
constexpr const char *EtchModel = "Etch Model";
/// "KOH" or "TMAH"; with it the etch runs the calibrated continuous model for "Etch Time".
constexpr const char *Etchant = "Etchant";
/// wt % of the etchant in water.
constexpr const char *Concentration = "Concentration";
/// degrees Celsius of the bath.
constexpr const char *Temperature = "Temperature";
/// minutes in the bath.
constexpr const char *EtchTime = "Etch Time";
/// "100", "110", "111" or "311": the plane the wafer's surface lies in.
constexpr const char *WaferOrientation = "Wafer Orientation";
/// degrees about z of the crystal against the volume's x axis.
constexpr const char *FlatAngle = "Flat Angle";
/// nm/min at which the bath wears thermal oxide away; absent or 0: the oxide stays.
constexpr const char *OxideEtchRate = "Oxide Etch Rate";

// ---- reactive ion etching ----
/// Bit 0 from the top, bit 1 from below (int, hidden).
constexpr const char *EtchDirectionValue = "EtchDirectionValue";
/// "Top", "Bottom", "Bottom and Top" or empty, derived from EtchDirectionValue.
constexpr const char *EtchDirection = "Etch Direction";

// ---- physical vapour deposition ----
/// 1 on top, 2 on the bottom, 3 both (int, hidden).
constexpr const char *DepositOnValue = "DepositOn";
/// The text of DepositOn: "On Top", "On Bottom", "On Top and Bottom".
constexpr const char *DepositOn = "Deposit On";

// ---- masks: a side ("Top Mask", "Bottom Mask") stands for four parameters ----
constexpr const char *TopMask = "Top Mask";
constexpr const char *BottomMask = "Bottom Mask";
/// The file the mask was read from (shown only).
inline QString maskFile(const QString &side) { return side + QStringLiteral(" File"); }
inline QString maskWidth(const QString &side) { return side + QStringLiteral(" Width"); }
inline QString maskHeight(const QString &side) { return side + QStringLiteral(" Height"); }

// ---- ion implantation ----
constexpr const char *AnnealingDistance = "Annealing Distance";
constexpr const char *ImplantationDepth = "Implantation Depth";
constexpr const char *VerticalSpread = "Vertical Spread";

// ---- oxidation ----
constexpr const char *MicronConversion = "Micron Conversion";
constexpr const char *OxidationPressure = "Oxidation Pressure";
constexpr const char *OxidationTemperature = "Oxidation Temperature";
constexpr const char *OxidationTime = "Oxidation Time";
constexpr const char *OxidationTimeSet = "OxidationTimeSet";
constexpr const char *OxidationThickness = "Oxidation Thickness";
constexpr const char *OxidationThicknessSet = "OxidationThicknessSet";

// ---- random-walk doping ----
constexpr const char *DiffusionCoefficient = "Diffusion Coefficient";
constexpr const char *CellSize = "Cell Size";
constexpr const char *TimeStepDuration = "Time Step Duration";
constexpr const char *SurfaceConcentration = "Surface Concentration";
constexpr const char *DopingTime = "Doping Time";
constexpr const char *DopingThreshold = "Doping Threshold";

// ---- line of sight ----
/// The share of the particles that stay where they hit (0 < s <= 1).
constexpr const char *StickingCoefficient = "Sticking Coefficient";
/// The share of the particles that react with the etched material where they hit (0 < p <= 1).
constexpr const char *ReactionProbability = "Reaction Probability";
/// n of the source's cos^n angular distribution (1: cosine source, large: collimated).
constexpr const char *SourceExponent = "Source Exponent";
/// The seed of the step's draws (uint); absent: the run's seed, or the clock.
constexpr const char *RandomSeed = "Random Seed";

// ---- Bosch etching ----
/// Passivation, ion and etch phases repeated (uint).
constexpr const char *Cycles = "Cycles";
/// Cells etched from a flat open surface per cycle.
constexpr const char *EtchPerCycle = "Etch Per Cycle";
/// Cells of passivating film deposited per cycle.
constexpr const char *PassivationThickness = "Passivation Thickness";
/// Whether the film is taken away after the last cycle (bool).
constexpr const char *StripPassivation = "Strip Passivation";

// ---- save image ----
constexpr const char *Filename = "Filename";

// ---- measure ----
/// The measurement's name in the results.
constexpr const char *Name = "Name";
/// "thickness", "height", "depth", "width", "sidewall-angle" or "volume".
constexpr const char *Kind = "Kind";
/// "x" or "y": the direction of a width or a sidewall.
constexpr const char *Axis = "Axis";
constexpr const char *X = "X";
constexpr const char *Y = "Y";
constexpr const char *Z = "Z";
constexpr const char *Z1 = "Z1";
constexpr const char *Z2 = "Z2";

// ---- create substrate ----
constexpr const char *LowerLeftFrontCorner = "Lower Left Front Corner";
constexpr const char *SphericalSubstrate = "SphericalSubstrate";
constexpr const char *SubstrateRadius = "Substrate Radius";
/// "Volume Size X", "Substrate Size Y", "Substrate Delta Z", "Substrate Center X"...
inline QString volumeSize(char axis) { return QStringLiteral("Volume Size ") + QLatin1Char(axis); }
inline QString substrateSize(char axis) { return QStringLiteral("Substrate Size ") + QLatin1Char(axis); }
inline QString substrateDelta(char axis) { return QStringLiteral("Substrate Delta ") + QLatin1Char(axis); }
inline QString substrateCenter(char axis) { return QStringLiteral("Substrate Center ") + QLatin1Char(axis); }

} // namespace Parameter

} // namespace Processes
} // namespace Core
