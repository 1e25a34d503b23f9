// Product identity shared by the resources and the code.
#pragma once

#define CORVALE_VERSION_NUMBERS 1, 0, 0, 0
#define CORVALE_VERSION_TEXT "1.0.0"
#define CORVALE_MAKER_NAME "Corvale Software"
#define CORVALE_MAKER_DOMAIN "www.corvale.example"
#define CORVALE_HOME_URL "http://www.corvale.example/"
#define CORVALE_PRODUCT_URL "http://www.corvale.example/products/corvale/"
