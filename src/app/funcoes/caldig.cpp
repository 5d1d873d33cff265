// Check digits of unit numbers and municipality codes.
#include "app/funcoes/Funcoes.h"

namespace fpo {

int CALDIGUPS(long long num) {
  // Modulus 11 over the six lowest digits, weights 2 to 7 from the lowest.
  if (num < 0) num = -num;
  int sum = 0;
  for (int weight = 2; weight <= 7; ++weight) {
    sum += static_cast<int>(num % 10) * weight;
    num /= 10;
  }
  const int r = sum % 11;
  return 11 - r < 10 ? 11 - r : 0;
}

int CALDIGMNC(long long num) {
  // Modulus 10 over the four lowest digits, weights 2 and 1 alternating,
  // products above 9 by their digit sum; 8 is the share of the state code "23".
  if (num < 0) num = -num;
  int sum = 0;
  int weight = 2;
  for (int i = 0; i < 4; ++i) {
    const int p = static_cast<int>(num % 10) * weight;
    sum += p <= 9 ? p : p % 10 + 1;
    weight = weight == 2 ? 1 : 2;
    num /= 10;
  }
  const int x = (sum + 8) % 10;
  return x == 0 ? 0 : 10 - x;
}

}  // namespace fpo
