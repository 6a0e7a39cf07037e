#pragma once

// Least-squares fits of the ten coefficient models (types 0 to 9, see FCCurveFittingFactory): a
// polynomial in the transformed coordinates, solved by orthogonal factorisation in a centred and
// scaled variable so that positions in the thousands keep the higher degrees accurate.
class FCApproximateAlgorithm
{
public:
    virtual ~FCApproximateAlgorithm();

    // Fits n points of the model type. On success error is 0, coefficients holds a to f as the
    // model names them (unused ones 0) and R the correlation coefficient over the n points. On
    // failure error is 1 (too few points), 2 (a value a logarithm cannot take) or 3 (an unknown
    // model, no memory, or points that do not determine the curve: too few distinct positions, or
    // positions so crowded that the coefficients could not be given to nine digits), and
    // coefficients and R are left alone. error may be null.
    void Fit(int n, const double *x, const double *y, unsigned short type, double coefficients[6],
             double *R, int *error);

protected:
    // Number of polynomial unknowns of a model; 0 for a type that is not a least-squares model.
    static int UnknownCount(int type);
};
