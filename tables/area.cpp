// The nine area units and the factor of every pair of them. Several factors
// carry only eight or nine significant digits and are kept exactly so.
#include "tables/table_builder.h"
#include "tables/unit_tables.h"

namespace {

constexpr Unit kAcre{12, "Acre"};
constexpr Unit kSquareCentimeter{13, "Square centimeter"};
constexpr Unit kSquareFeet{14, "Square feet"};
constexpr Unit kSquareInch{15, "Square inch"};
constexpr Unit kSquareKilometer{16, "Square kilometer"};
constexpr Unit kSquareMeter{17, "Square meter"};
constexpr Unit kSquareMile{18, "Square mile"};
constexpr Unit kSquareMilimeter{19, "Square milimeter"};
constexpr Unit kSquareYard{20, "Square yard"};

}  // namespace

Converter BuildAreaConverter() {
  return BuildFromConversions({
      {kAcre, kSquareCentimeter, 40468564.2},
      {kAcre, kSquareFeet, 43560.0},
      {kAcre, kSquareInch, 6272640.0},
      {kAcre, kSquareKilometer, 0.00404685642},
      {kAcre, kSquareMeter, 4046.85642},
      {kAcre, kSquareMile, 0.0015625},
      {kAcre, kSquareMilimeter, 4046856420.0},
      {kAcre, kSquareYard, 4840.0},
      {kSquareCentimeter, kSquareFeet, 0.00107639104},
      {kSquareCentimeter, kSquareInch, 0.15500031},
      {kSquareCentimeter, kSquareKilometer, 1e-10},
      {kSquareCentimeter, kSquareMeter, 0.0001},
      {kSquareCentimeter, kSquareMile, 3.86102159e-11},
      {kSquareCentimeter, kSquareMilimeter, 100.0},
      {kSquareCentimeter, kSquareYard, 0.000119599005},
      {kSquareFeet, kSquareInch, 144.0},
      {kSquareFeet, kSquareKilometer, 9.290304e-08},
      {kSquareFeet, kSquareMeter, 0.09290304},
      {kSquareFeet, kSquareMile, 3.58700643e-08},
      {kSquareFeet, kSquareMilimeter, 92903.04},
      {kSquareFeet, kSquareYard, 0.1111111111111111},
      {kSquareInch, kSquareKilometer, 6.451600000025807e-10},
      {kSquareInch, kSquareMeter, 0.0006451600000025807},
      {kSquareInch, kSquareMile, 2.4909766860524435e-10},
      {kSquareInch, kSquareMilimeter, 645.16},
      {kSquareInch, kSquareYard, 0.0007716049382716049},
      {kSquareKilometer, kSquareMeter, 1000000.0},
      {kSquareKilometer, kSquareMile, 0.386102158592535},
      {kSquareKilometer, kSquareMilimeter, 1000000000000.0},
      {kSquareKilometer, kSquareYard, 1195990.05},
      {kSquareMeter, kSquareMile, 3.86102158592535e-07},
      {kSquareMeter, kSquareMilimeter, 1000000.0},
      {kSquareMeter, kSquareYard, 1.19599005},
      {kSquareMile, kSquareMilimeter, 2589988110336.0},
      {kSquareMile, kSquareYard, 3097600.0},
      {kSquareMilimeter, kSquareYard, 1.19599005e-06},
  });
}
