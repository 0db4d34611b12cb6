#pragma once
// The sample database on a new machine: pavona --create-sample, and the offer of the
// first start with an empty catalog, so that the connect dialog's default works.

// pavona --create-sample: creates SAMPLE from the installed samples/sample.sql and says
// where on standard output; an existing SAMPLE is left alone. Returns the exit status.
int createSampleCommand();

// Before the connect dialog: when the embedded catalog holds no database, asks whether
// to create SAMPLE and does so.
void offerSampleDatabase();
